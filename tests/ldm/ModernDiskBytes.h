// Small written images of the modern dynamic-disk layouts, held in memory
// for the reader tests: a classic MBR disk (data region at sector 63), an
// MBR disk aligned to 256 sectors and a GPT disk, in one group.
#ifndef STRATA_TESTS_LDM_MODERNDISKBYTES_H
#define STRATA_TESTS_LDM_MODERNDISKBYTES_H

#include "ldm/GptFormat.h"
#include "ldm/LittleEndian.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace strata_test {

typedef std::vector<unsigned char> Bytes;

const std::uint32_t kModernSector = 512;
const std::uint64_t kModernDiskSectors = 1024;
const std::uint64_t kGptDataStart = 200;
const std::uint64_t kAlignedDataStart = 256;

inline nlohmann::json ModernGroup(std::uint32_t sectorSize = kModernSector) {
    const std::uint64_t unit = sectorSize / 512;
    nlohmann::json group = {{"sectorSize", sectorSize},
            {"diskSectors", kModernDiskSectors / unit},
            {"configSectors", 128 / unit},
            {"reservedSectors", 16 / unit},
            {"group", {{"name", "Modern-Dg0"}}},
            {"disks", {{{"name", "Classic"}, {"guid", "0c1a551c-0000-4000-8000-000000000001"}},
                       {{"name", "Aligned"}, {"dataStart", kAlignedDataStart / unit},
                        {"guid", "a119bed0-0000-4000-8000-000000000002"}},
                       {{"name", "Gpt"}, {"style", "gpt"}, {"dataStart", kGptDataStart / unit},
                        {"guid", "69700000-0000-4000-8000-000000000003"}}}},
            {"volumes", {{{"name", "Span"}, {"layout", "spanned"},
                          {"partitions", {{{"disk", "Classic"}, {"start", 8 / unit}, {"size", 96 / unit}},
                                          {{"disk", "Aligned"}, {"start", 0}, {"size", 96 / unit}},
                                          {{"disk", "Gpt"}, {"start", 16 / unit}, {"size", 96 / unit}}}}}}}};
    // Sector 63 is the classic start only for 512-byte sectors.
    if (unit > 1) group["disks"][0]["dataStart"] = 8;
    return group;
}

// Each disk's image bytes, by disk name.
inline std::map<std::string, Bytes> ModernImages(std::uint32_t sectorSize = kModernSector) {
    const strata_tools::GroupDescription group =
        strata_tools::ParseGroupDescription(ModernGroup(sectorSize));
    const strata_tools::DiskImageWriter writer(group);
    TempFolder folder;
    std::map<std::string, Bytes> images;
    for (const strata_tools::DiskDescription& disk : group.disks) {
        writer.Write(disk.name, folder.File(disk.image));
        std::ifstream in(folder.File(disk.image), std::ios::binary);
        images[disk.name] = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return images;
}

// The image writer's byte writer and the reader's bounded little-endian read.
using strata_tools::PutLittleEndian;

inline std::uint64_t LittleEndianAt(const Bytes& bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    strata_col::ReadLittleEndian(bytes.data(), bytes.size(), offset, width, value);
    return value;
}

// Recomputes the CRC32 of the GPT header at `lba`, so that a changed field
// passes the check and the reader has to judge the field itself.
inline void ResealGptHeader(Bytes& disk, std::uint64_t lba, std::uint32_t sectorSize = kModernSector) {
    using namespace strata_col::gpt_layout;
    const std::size_t at = static_cast<std::size_t>(lba * sectorSize);
    PutLittleEndian(disk, at + kHeaderCrcOffset, 4, 0);
    PutLittleEndian(disk, at + kHeaderCrcOffset, 4, Crc32(&disk[at], kHeaderMinSize));
}

// Recomputes the entry-array CRC32 in the header at `lba` from the array it
// points to, then the header's own.
inline void ResealGptEntries(Bytes& disk, std::uint64_t lba, std::uint32_t sectorSize = kModernSector) {
    using namespace strata_col::gpt_layout;
    const std::size_t at = static_cast<std::size_t>(lba * sectorSize);
    const std::size_t entries =
        static_cast<std::size_t>(LittleEndianAt(disk, at + kHeaderEntriesLbaOffset, 8) * sectorSize);
    const std::size_t bytes = strata_tools::kGptEntryCount * strata_tools::kGptEntrySize;
    PutLittleEndian(disk, at + kHeaderEntriesCrcOffset, 4, Crc32(&disk[entries], bytes));
    ResealGptHeader(disk, lba, sectorSize);
}

}  // namespace strata_test

#endif
