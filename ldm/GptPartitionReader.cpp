#include "ldm/GptPartitionReader.h"

#include "collect/SameGuid.h"
#include "ldm/GptFormat.h"
#include "ldm/LittleEndian.h"

#include <cstring>
#include <limits>

namespace strata_col {

using namespace gpt_layout;

namespace {

bool ReadGuid(const unsigned char* data, std::size_t size, std::size_t offset, GUID& guid) {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    if (!RangeInside(size, offset, kGuidSize) || !ReadLittleEndian32(data, size, offset, data1) ||
        !ReadLittleEndian16(data, size, offset + kGuidData2Offset, data2) ||
        !ReadLittleEndian16(data, size, offset + kGuidData3Offset, data3)) {
        return false;
    }
    guid.Data1 = data1;
    guid.Data2 = data2;
    guid.Data3 = data3;
    std::memcpy(guid.Data4, data + offset + kGuidData4Offset, sizeof(guid.Data4));
    return true;
}

}  // namespace

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
    const unsigned char* entries = table.entries.data();
    const std::size_t size = table.entries.size();
    for (std::uint32_t i = 0; i < table.entryCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * table.entrySize;
        GUID entryType;
        SectorRange range;
        if (!ReadGuid(entries, size, at + kEntryTypeGuidOffset, entryType) ||
            !ReadLittleEndian64(entries, size, at + kEntryFirstLbaOffset, range.first) ||
            !ReadLittleEndian64(entries, size, at + kEntryLastLbaOffset, range.last)) {
            return false;
        }
        if (!SameGuid(entryType, type) || range.first == 0 || range.first > range.last ||
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
    if (!ReadHeader(file, headerLba, sectorSize, table)) {
        return false;
    }
    const std::uint64_t bytes = static_cast<std::uint64_t>(table.entryCount) * table.entrySize;
    const std::uint64_t sectors = (bytes + sectorSize - 1) / sectorSize;
    if (table.entriesLba == 0 ||
        (driveSectors != 0 &&
         (table.entriesLba >= driveSectors || sectors > driveSectors - table.entriesLba))) {
        return false;
    }
    if (!ReadSectors(file, table.entriesLba, sectors, sectorSize, table.entries)) {
        return false;
    }
    table.entries.resize(static_cast<std::size_t>(bytes));
    return Crc32(table.entries.data(), table.entries.size()) == table.entriesCrc;
}

bool GptPartitionReader::ReadHeader(int file, std::uint64_t headerLba, std::uint32_t sectorSize,
                                    Table& table) {
    std::vector<unsigned char> sector;
    if (!ReadSectors(file, headerLba, 1, sectorSize, sector)) {
        return false;
    }
    const unsigned char* data = sector.data();
    const std::size_t size = sector.size();
    std::uint32_t headerSize = 0;
    std::uint32_t storedCrc = 0;
    std::uint64_t myLba = 0;
    if (!RangeInside(size, kHeaderSignatureOffset, kHeaderSignatureSize) ||
        std::memcmp(data + kHeaderSignatureOffset, kHeaderSignature, kHeaderSignatureSize) != 0 ||
        !ReadLittleEndian32(data, size, kHeaderSizeOffset, headerSize) ||
        headerSize < kHeaderMinSize || headerSize > size ||
        !ReadLittleEndian32(data, size, kHeaderCrcOffset, storedCrc)) {
        return false;
    }
    std::vector<unsigned char> checked(sector.begin(), sector.begin() + headerSize);
    std::memset(checked.data() + kHeaderCrcOffset, 0, sizeof(storedCrc));
    if (Crc32(checked.data(), checked.size()) != storedCrc) {
        return false;
    }
    if (!ReadLittleEndian64(data, size, kHeaderMyLbaOffset, myLba) || myLba != headerLba ||
        !ReadLittleEndian64(data, size, kHeaderEntriesLbaOffset, table.entriesLba) ||
        !ReadLittleEndian32(data, size, kHeaderEntryCountOffset, table.entryCount) ||
        !ReadLittleEndian32(data, size, kHeaderEntrySizeOffset, table.entrySize) ||
        !ReadLittleEndian32(data, size, kHeaderEntriesCrcOffset, table.entriesCrc)) {
        return false;
    }
    // The sizes come from the disk: a table that claims more than any
    // partitioning tool writes is not read.
    return table.entrySize >= kEntryMinSize && table.entrySize % kEntrySizeMultiple == 0 &&
           table.entryCount != 0 &&
           static_cast<std::uint64_t>(table.entryCount) * table.entrySize <= kMaxEntryArrayBytes;
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
