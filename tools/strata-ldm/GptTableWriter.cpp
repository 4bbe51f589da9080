#include "tools/strata-ldm/GptTableWriter.h"

#include "ldm/GptFormat.h"

#include <algorithm>
#include <cstring>

namespace strata_tools {

using namespace strata_col::gpt_layout;

namespace {

const std::uint64_t kEntriesLba = 2;
const std::uint32_t kHeaderSize = kHeaderMinSize;

void PutGuid(Bytes& bytes, std::size_t offset, const GUID& guid) {
    PutLittleEndian(bytes, offset, 4, guid.Data1);
    PutLittleEndian(bytes, offset + kGuidData2Offset, 2, guid.Data2);
    PutLittleEndian(bytes, offset + kGuidData3Offset, 2, guid.Data3);
    std::copy(guid.Data4, guid.Data4 + sizeof(guid.Data4),
              bytes.begin() + offset + kGuidData4Offset);
}

// A GUID text (in its usual order) as the fields it names.
GUID GuidOfText(const std::string& text) {
    const Bytes bytes = GuidTextBytes(text);
    GUID guid;
    guid.Data1 = (static_cast<std::uint32_t>(bytes[0]) << 24) | (bytes[1] << 16) |
                 (bytes[2] << 8) | bytes[3];
    guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    std::copy(bytes.begin() + 8, bytes.end(), guid.Data4);
    return guid;
}

void PutEntry(Bytes& entries, std::size_t index, const GUID& type, const std::string& uniqueName,
              std::uint64_t first, std::uint64_t last, const std::string& name) {
    const std::size_t at = index * kGptEntrySize;
    PutGuid(entries, at + kEntryTypeGuidOffset, type);
    PutGuid(entries, at + kEntryUniqueGuidOffset, GuidOfText(GuidFromName(uniqueName)));
    PutLittleEndian(entries, at + kEntryFirstLbaOffset, 8, first);
    PutLittleEndian(entries, at + kEntryLastLbaOffset, 8, last);
    for (std::size_t i = 0; i < name.size() && i < kEntryNameUnits; ++i) {
        // The names are ASCII: each character is one UTF-16 unit.
        PutLittleEndian(entries, at + kEntryNameOffset + 2 * i, 2,
                        static_cast<unsigned char>(name[i]));
    }
}

}  // namespace

GptTableWriter::GptTableWriter(const GroupDescription& group, const DiskDescription& disk)
    : group_(group), disk_(disk), plan_(PlanDisk(group, disk)) {}

std::uint64_t GptTableWriter::BackupHeaderLba() const { return plan_.sectors - 1; }

std::uint64_t GptTableWriter::BackupEntriesLba() const {
    return BackupHeaderLba() - plan_.entrySectors;
}

Bytes GptTableWriter::ProtectiveMbr() const {
    Bytes mbr(group_.sectorSize, 0);
    const std::size_t entry = kMbrPartitionTableOffset;
    mbr[entry + kMbrEntryTypeOffset] = kProtectivePartitionType;
    PutLittleEndian(mbr, entry + kMbrEntryFirstSectorOffset, 4, kPrimaryHeaderLba);
    PutLittleEndian(mbr, entry + kMbrEntrySectorCountOffset, 4,
                    std::min<std::uint64_t>(plan_.sectors - 1, kMaxMbrSectors));
    mbr[kMbrBootSignatureOffset] = kMbrBootSignature0;
    mbr[kMbrBootSignatureOffset + 1] = kMbrBootSignature1;
    return mbr;
}

Bytes GptTableWriter::EntryArray() const {
    Bytes entries(static_cast<std::size_t>(plan_.entrySectors * group_.sectorSize), 0);
    std::size_t index = 0;
    PutEntry(entries, index++, kLdmMetadataType, "gpt-metadata:" + disk_.guid, plan_.configStart,
             plan_.configStart + plan_.configSectors - 1, "LDM metadata partition");
    if (plan_.reservedSectors != 0) {
        PutEntry(entries, index++, kMicrosoftReservedType, "gpt-reserved:" + disk_.guid,
                 plan_.reservedStart, plan_.reservedStart + plan_.reservedSectors - 1,
                 "Microsoft reserved partition");
    }
    PutEntry(entries, index++, kLdmDataType, "gpt-data:" + disk_.guid, plan_.dataStart,
             plan_.lastUsable, "LDM data partition");
    return entries;
}

Bytes GptTableWriter::Header(bool primary, const Bytes& entries) const {
    Bytes header(group_.sectorSize, 0);
    const std::uint64_t myLba = primary ? kPrimaryHeaderLba : BackupHeaderLba();
    const std::uint64_t otherLba = primary ? BackupHeaderLba() : kPrimaryHeaderLba;
    const std::size_t arrayBytes = static_cast<std::size_t>(kGptEntryCount) * kGptEntrySize;
    PutText(header, kHeaderSignatureOffset, kHeaderSignatureSize, kHeaderSignature);
    PutLittleEndian(header, kHeaderRevisionOffset, 4, kRevision1);
    PutLittleEndian(header, kHeaderSizeOffset, 4, kHeaderSize);
    PutLittleEndian(header, kHeaderMyLbaOffset, 8, myLba);
    PutLittleEndian(header, kHeaderAlternateLbaOffset, 8, otherLba);
    PutLittleEndian(header, kHeaderFirstUsableLbaOffset, 8, plan_.firstUsable);
    PutLittleEndian(header, kHeaderLastUsableLbaOffset, 8, plan_.lastUsable);
    PutGuid(header, kHeaderDiskGuidOffset, GuidOfText(GuidFromName("gpt-disk:" + disk_.guid)));
    PutLittleEndian(header, kHeaderEntriesLbaOffset, 8, primary ? kEntriesLba : BackupEntriesLba());
    PutLittleEndian(header, kHeaderEntryCountOffset, 4, kGptEntryCount);
    PutLittleEndian(header, kHeaderEntrySizeOffset, 4, kGptEntrySize);
    PutLittleEndian(header, kHeaderEntriesCrcOffset, 4,
                    Crc32(entries.data(), std::min(arrayBytes, entries.size())));
    PutLittleEndian(header, kHeaderCrcOffset, 4, Crc32(header.data(), kHeaderSize));
    return header;
}

}  // namespace strata_tools
