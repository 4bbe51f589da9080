#include "platform/GptTable.h"

#include <cstring>
#include <vector>

namespace disk_format {

bool ReadDiskGuid(const ByteView& bytes, std::size_t offset, GUID& guid) {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    const unsigned char* data4 = nullptr;
    if (!bytes.Has(offset, kGuidSize) || !bytes.U32(offset, data1) ||
        !bytes.U16(offset + kGuidData2Offset, data2) || !bytes.U16(offset + kGuidData3Offset, data3) ||
        !bytes.Bytes(offset + kGuidData4Offset, sizeof(guid.Data4), data4)) {
        return false;
    }
    guid.Data1 = data1;
    guid.Data2 = data2;
    guid.Data3 = data3;
    std::memcpy(guid.Data4, data4, sizeof(guid.Data4));
    return true;
}

GptHeaderProblem DecodeGptHeader(const ByteView& sector, std::uint64_t lba, GptHeader& header) {
    const unsigned char* signature = nullptr;
    if (!sector.Bytes(kHeaderSignatureOffset, kHeaderSignatureSize, signature) ||
        std::memcmp(signature, kHeaderSignature, kHeaderSignatureSize) != 0) {
        return GptHeaderProblem::kNoSignature;
    }
    std::uint32_t size = 0;
    std::uint32_t storedCrc = 0;
    const unsigned char* start = nullptr;
    if (!sector.U32(kHeaderSizeOffset, size) || size < kHeaderMinSize || !sector.Bytes(0, size, start) ||
        !sector.U32(kHeaderCrcOffset, storedCrc)) {
        return GptHeaderProblem::kImpossibleSize;
    }
    // The CRC covers the header's own size with the CRC field taken as zero.
    std::vector<unsigned char> checked(start, start + size);
    std::memset(checked.data() + kHeaderCrcOffset, 0, sizeof(storedCrc));
    if (Crc32(checked.data(), checked.size()) != storedCrc) return GptHeaderProblem::kFailsCrc;

    GptHeader decoded;
    std::uint64_t myLba = 0;
    if (!sector.U64(kHeaderMyLbaOffset, myLba) || myLba != lba ||
        !sector.U64(kHeaderAlternateLbaOffset, decoded.alternateLba) ||
        !sector.U64(kHeaderFirstUsableLbaOffset, decoded.firstUsableLba) ||
        !sector.U64(kHeaderLastUsableLbaOffset, decoded.lastUsableLba) ||
        !ReadDiskGuid(sector, kHeaderDiskGuidOffset, decoded.diskId) ||
        !sector.U64(kHeaderEntriesLbaOffset, decoded.entriesLba) ||
        !sector.U32(kHeaderEntryCountOffset, decoded.entryCount) ||
        !sector.U32(kHeaderEntrySizeOffset, decoded.entrySize) ||
        !sector.U32(kHeaderEntriesCrcOffset, decoded.entriesCrc)) {
        return GptHeaderProblem::kNotItsPosition;
    }
    // The sizes come from the disk: a table that claims more than any
    // partitioning tool writes is not read.
    if (decoded.entrySize < kEntryMinSize || decoded.entrySize % kEntrySizeMultiple != 0 ||
        decoded.entryCount == 0 || decoded.EntryArrayBytes() > kMaxEntryArrayBytes) {
        return GptHeaderProblem::kImpossibleArray;
    }
    header = decoded;
    return GptHeaderProblem::kNone;
}

bool EntryArrayMatches(const ByteView& array, const GptHeader& header) {
    const unsigned char* start = nullptr;
    return array.Bytes(0, static_cast<std::size_t>(header.EntryArrayBytes()), start) &&
           Crc32(start, static_cast<std::size_t>(header.EntryArrayBytes())) == header.entriesCrc;
}

bool DecodeGptEntry(const ByteView& array, std::uint32_t index, std::uint32_t entrySize, GptEntry& entry) {
    const ByteView bytes = array.Slice(static_cast<std::size_t>(index) * entrySize, entrySize);
    GptEntry decoded;
    if (bytes.Size() < kEntryMinSize || !ReadDiskGuid(bytes, kEntryTypeGuidOffset, decoded.type) ||
        !ReadDiskGuid(bytes, kEntryUniqueGuidOffset, decoded.id) ||
        !bytes.U64(kEntryFirstLbaOffset, decoded.firstLba) || !bytes.U64(kEntryLastLbaOffset, decoded.lastLba) ||
        !bytes.U64(kEntryAttributesOffset, decoded.attributes)) {
        return false;
    }
    decoded.name = bytes.Slice(kEntryNameOffset, kEntryNameUnits * 2);
    entry = decoded;
    return true;
}

}  // namespace disk_format
