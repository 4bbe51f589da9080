#include "ldm/GptPartitionReader.h"

#include "collect/SameGuid.h"
#include "ldm/GptFormat.h"
#include "ldm/LittleEndian.h"

#include <cstring>
#include <limits>

namespace strata_col {

using namespace gpt_layout;
using disk_format::ByteView;

bool GptPartitionReader::FindPartition(int file, std::uint32_t sectorSize,
                                       std::uint64_t driveLength, const GUID& type,
                                       SectorRange& partition) {
    if (file < 0 || sectorSize < kHeaderMinSize) {
        return false;
    }
    // A disk repartitioned as MBR may keep an old GPT behind its new table;
    // only the protective MBR says the GPT is the one in use.
    if (!HasProtectiveMbr(file, sectorSize)) {
        return false;
    }
    const std::uint64_t driveSectors = driveLength / sectorSize;
    Table table;
    if (!ReadTable(file, kPrimaryHeaderLba, sectorSize, driveSectors, table) &&
        !(driveSectors > kPrimaryHeaderLba + 1 &&
          ReadTable(file, driveSectors - 1, sectorSize, driveSectors, table))) {
        return false;
    }
    const ByteView entries(table.entries);
    for (std::uint32_t i = 0; i < table.header.entryCount; ++i) {
        GptEntry entry;
        if (!DecodeGptEntry(entries, i, table.header.entrySize, entry)) return false;
        SectorRange range;
        range.first = entry.firstLba;
        range.last = entry.lastLba;
        if (!SameGuid(entry.type, type) || range.first == 0 || range.first > range.last ||
            (driveSectors != 0 && range.last >= driveSectors)) {
            continue;  // another type, or an entry that cannot be on this drive
        }
        partition = range;
        return true;
    }
    return false;
}

bool GptPartitionReader::HasProtectiveMbr(int file, std::uint32_t sectorSize) {
    std::vector<unsigned char> mbr;
    if (!ReadSectors(file, 0, 1, sectorSize, mbr) ||
        !RangeInside(mbr.size(), kMbrBootSignatureOffset, 2) ||
        mbr[kMbrBootSignatureOffset] != kMbrBootSignature0 ||
        mbr[kMbrBootSignatureOffset + 1] != kMbrBootSignature1) {
        return false;
    }
    for (std::size_t i = 0; i < kMbrEntryCount; ++i) {
        const std::size_t type = kMbrPartitionTableOffset + i * kMbrEntrySize + kMbrEntryTypeOffset;
        if (RangeInside(mbr.size(), type, 1) && mbr[type] == kProtectivePartitionType) {
            return true;
        }
    }
    return false;
}

bool GptPartitionReader::ReadTable(int file, std::uint64_t headerLba, std::uint32_t sectorSize,
                                   std::uint64_t driveSectors, Table& table) {
    std::vector<unsigned char> sector;
    if (!ReadSectors(file, headerLba, 1, sectorSize, sector) ||
        DecodeGptHeader(ByteView(sector), headerLba, table.header) != GptHeaderProblem::kNone) {
        return false;
    }
    const std::uint64_t entriesLba = table.header.entriesLba;
    const std::uint64_t bytes = table.header.EntryArrayBytes();
    const std::uint64_t sectors = (bytes + sectorSize - 1) / sectorSize;
    if (entriesLba == 0 ||
        (driveSectors != 0 && (entriesLba >= driveSectors || sectors > driveSectors - entriesLba))) {
        return false;
    }
    if (!ReadSectors(file, entriesLba, sectors, sectorSize, table.entries)) {
        return false;
    }
    table.entries.resize(static_cast<std::size_t>(bytes));
    return EntryArrayMatches(ByteView(table.entries), table.header);
}

bool GptPartitionReader::ReadSectors(int file, std::uint64_t lba, std::uint64_t count,
                                     std::uint32_t sectorSize, std::vector<unsigned char>& bytes) {
    const std::uint64_t maxBytes = std::numeric_limits<std::uint32_t>::max();
    if (count == 0 || count > maxBytes / sectorSize ||
        lba > std::numeric_limits<std::uint64_t>::max() / sectorSize) {
        return false;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(count * sectorSize);
    bytes.assign(length, 0);
    if (!access_.Seek(file, lba * sectorSize)) {
        return false;
    }
    const long got = access_.Read(file, bytes.data(), length);
    return got > 0 && static_cast<std::uint64_t>(got) == length;
}

}  // namespace strata_col
