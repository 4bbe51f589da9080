// Writes the image of a dynamic disk whose database area of MIB MiB holds a
// complete record in every 128-byte slot after the VMDB (volumes,
// components, partitions, a disk and the group in turn, each with an ObjectID
// of its own): the largest database a disk of that area can carry. With
// "partitions", every slot after one of each kind holds a partition (of the
// one component and disk): the records that give the most instances each.
//   bench_ldm_full_area OUT.img MIB [partitions]     (OUT.img must not exist yet)
#include "ldm/BigEndian.h"
#include "ldm/LdmLayout.h"
#include "tools/strata-ldm/DatabaseRecords.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/GroupDescription.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace strata_col::ldm_layout;

const std::uint32_t kSector = 512;
// Three-byte ObjectIDs from here on: room for every slot of a 64 MiB area.
const std::uint32_t kFirstObjectId = 0x100000;

nlohmann::json Description(std::uint64_t areaSectors) {
    return {{"configSectors", areaSectors},
            {"diskSectors", areaSectors + 8192},
            {"group", {{"name", "Full-Dg0"}, {"version", 3}, {"firstObjectId", kFirstObjectId}}},
            {"disks", {{{"name", "Disk1"}}}},
            {"volumes", {{{"name", "Volume1"}, {"layout", "simple"}, {"hint", "F:"},
                          {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 2048}}}}}}}};
}

std::uint64_t ReadAt(std::fstream& file, std::uint64_t offset, std::vector<unsigned char>& bytes) {
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot read the written image");
    return offset;
}

}  // namespace

int main(int argc, char** argv) {
    const bool partitionsOnly = argc == 4 && std::string(argv[3]) == "partitions";
    if ((argc != 3 && !partitionsOnly) || std::atoi(argv[2]) < 1 || std::atoi(argv[2]) > 64) {
        std::fprintf(stderr, "usage: bench_ldm_full_area OUT.img MIB (1 to 64) [partitions]\n");
        return 2;
    }
    try {
        const std::uint64_t areaSectors = static_cast<std::uint64_t>(std::atoi(argv[2])) * 2048;
        const strata_tools::GroupDescription group =
            strata_tools::ParseGroupDescription(Description(areaSectors));
        strata_tools::DiskImageWriter(group).Write("Disk1", argv[1]);
        const strata_tools::DatabaseRecords templates = strata_tools::EncodeDatabaseRecords(group);

        std::fstream file(argv[1], std::ios::in | std::ios::out | std::ios::binary);
        std::vector<unsigned char> header(kSector);
        ReadAt(file, kPrivHeadSector * kSector, header);
        std::uint64_t configStart = 0;
        std::vector<unsigned char> toc(kSector);
        if (!strata_col::ReadBigEndian64(header.data(), header.size(), kConfigStartOffset, configStart)) return 1;
        const std::uint64_t areaStart = configStart * kSector;
        ReadAt(file, areaStart + kSector, toc);
        std::uint32_t vmdbUnit = 0;
        if (!strata_col::ReadBigEndian32(toc.data(), toc.size(), kTocConfigRegionLowOffset, vmdbUnit)) return 1;

        const std::uint64_t areaBytes = areaSectors * kSector;
        std::vector<unsigned char> slot(kVblkSize);
        std::uint32_t id = kFirstObjectId;
        std::size_t written = 0;
        for (std::uint64_t at = std::uint64_t(vmdbUnit) * kTocConfigStartUnit + kVmdbSize;
             at + 2 * kVblkSize <= areaBytes; at += kVblkSize, ++id, ++written) {
            // The records are encoded group, disk, volume, component, partition.
            const std::size_t count = templates.records.size();
            const std::size_t kind = partitionsOnly && written >= count ? count - 1 : written % count;
            const strata_tools::Bytes& data = templates.records[kind].data;
            std::fill(slot.begin(), slot.end(), 0);
            std::copy(kVblkMagic, kVblkMagic + kVblkMagicSize, slot.begin());
            std::copy(data.begin(), data.begin() + std::min(data.size(), kVblkSize - kVblkUpdateStatusOffset),
                      slot.begin() + kVblkUpdateStatusOffset);
            // Every template's ObjectID is three bytes long.
            slot[kVblkBodyOffset + 1] = static_cast<unsigned char>(id >> 16);
            slot[kVblkBodyOffset + 2] = static_cast<unsigned char>(id >> 8);
            slot[kVblkBodyOffset + 3] = static_cast<unsigned char>(id);
            file.seekp(static_cast<std::streamoff>(areaStart + at));
            file.write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size()));
        }
        if (!file.flush()) throw std::runtime_error("cannot write the image");
        std::printf("%s: %zu records in a %s MiB database area\n", argv[1], written, argv[2]);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_ldm_full_area: %s\n", error.what());
        return 1;
    }
}
