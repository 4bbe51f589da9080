// GUID partition tables: the header at LBA 1 (or its backup), checked by
// CRC32, and the used entries of its partition array.
#include "platform/sim/LayoutDecoder.h"

#include "platform/DiskFormat.h"
#include "platform/sim/ByteView.h"
#include "platform/sim/Guid.h"

#include <cstring>

namespace strata_sim {

namespace {

using namespace disk_format;

// Larger arrays are taken as damage rather than read.
const std::uint64_t kMaxEntryArrayBytes = 4u << 20;

struct GptHeader {
    std::uint64_t alternateLba = 0;
    std::uint64_t firstUsable = 0;
    std::uint64_t lastUsable = 0;
    GUID diskId = {};
    std::uint64_t entriesLba = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entriesCrc = 0;
};

// Reads and checks the header stored at lba; why it is unusable goes to reason.
bool ReadHeader(const SectorSource& source, std::uint64_t lba, GptHeader& header,
                std::string& reason) {
    std::vector<unsigned char> sector;
    if (!source.ReadSector(lba, sector)) {
        reason = "lies past the end of the drive";
        return false;
    }
    ByteView view(sector);
    if (std::memcmp(sector.data(), kHeaderSignature, kHeaderSignatureSize) != 0) {
        reason = "has no EFI PART signature";
        return false;
    }
    std::uint32_t size = 0, storedCrc = 0;
    std::uint64_t myLba = 0;
    if (!view.U32(kHeaderSizeOffset, size) || size < kHeaderMinSize || size > sector.size() ||
        !view.U32(kHeaderCrcOffset, storedCrc)) {
        reason = "has an impossible header size";
        return false;
    }
    std::vector<unsigned char> copy(sector.begin(), sector.begin() + size);
    std::memset(&copy[kHeaderCrcOffset], 0, sizeof(storedCrc));
    if (Crc32(copy.data(), copy.size()) != storedCrc) {
        reason = "fails its CRC32 check";
        return false;
    }
    if (!view.U64(kHeaderMyLbaOffset, myLba) || myLba != lba ||
        !view.U64(kHeaderAlternateLbaOffset, header.alternateLba) ||
        !view.U64(kHeaderFirstUsableLbaOffset, header.firstUsable) ||
        !view.U64(kHeaderLastUsableLbaOffset, header.lastUsable) ||
        !ReadDiskGuid(view, kHeaderDiskGuidOffset, header.diskId) ||
        !view.U64(kHeaderEntriesLbaOffset, header.entriesLba) ||
        !view.U32(kHeaderEntryCountOffset, header.entryCount) ||
        !view.U32(kHeaderEntrySizeOffset, header.entrySize) ||
        !view.U32(kHeaderEntriesCrcOffset, header.entriesCrc)) {
        reason = "does not describe its own position";
        return false;
    }
    if (header.entrySize < kEntryMinSize || header.entrySize % 8 != 0 ||
        static_cast<std::uint64_t>(header.entryCount) * header.entrySize > kMaxEntryArrayBytes) {
        reason = "has an impossible partition array size";
        return false;
    }
    return true;
}

bool ReadEntries(const SectorSource& source, const GptHeader& header, DriveLayout& layout,
                 std::string& reason) {
    std::vector<unsigned char> array;
    if (header.entriesLba >= source.SectorCount()) {
        reason = "has its partition array past the end of the drive";
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(header.entryCount) * header.entrySize;
    if (!source.ReadBytes(header.entriesLba * source.bytesPerSector, bytes, array)) {
        reason = "has its partition array past the end of the drive";
        return false;
    }
    if (Crc32(array.data(), array.size()) != header.entriesCrc) {
        reason = "has a partition array that fails its CRC32 check";
        return false;
    }
    const ByteView view(array);
    std::uint32_t number = 1;
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        const ByteView e =
            view.Slice(static_cast<std::size_t>(i) * header.entrySize, header.entrySize);
        PartitionEntry entry;
        std::uint64_t start = 0, end = 0;
        if (!ReadDiskGuid(e, kEntryTypeGuidOffset, entry.gptType) ||
            !ReadDiskGuid(e, kEntryUniqueGuidOffset, entry.gptId) ||
            !e.U64(kEntryFirstLbaOffset, start) || !e.U64(kEntryLastLbaOffset, end) ||
            !e.U64(kEntryAttributesOffset, entry.gptAttributes)) {
            reason = "has a truncated partition entry";
            return false;
        }
        if (IsZeroGuid(entry.gptType)) continue;  // unused slots are not listed
        if (start > end || end >= source.SectorCount()) {
            reason = "has a partition entry outside the drive";
            return false;
        }
        entry.startingOffset = static_cast<std::int64_t>(start * source.bytesPerSector);
        entry.length = static_cast<std::int64_t>((end - start + 1) * source.bytesPerSector);
        for (std::size_t c = 0; c < kEntryNameUnits; ++c) {
            std::uint16_t unit = 0;
            if (!e.U16(kEntryNameOffset + 2 * c, unit) || unit == 0) break;
            entry.gptName.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        entry.number = number++;
        layout.partitions.push_back(entry);
    }
    return true;
}

bool ReadTableAt(const SectorSource& source, std::uint64_t lba, DriveLayout& layout,
                 GptHeader& header, std::string& reason) {
    if (!ReadHeader(source, lba, header, reason)) return false;
    DriveLayout decoded;
    decoded.style = PARTITION_STYLE_GPT;
    decoded.gptDiskId = header.diskId;
    decoded.gptStartingUsableOffset =
        static_cast<std::int64_t>(header.firstUsable * source.bytesPerSector);
    decoded.gptUsableLength =
        header.lastUsable >= header.firstUsable
            ? static_cast<std::int64_t>((header.lastUsable - header.firstUsable + 1) *
                                        source.bytesPerSector)
            : 0;
    decoded.gptMaxPartitionCount = header.entryCount;
    if (!ReadEntries(source, header, decoded, reason)) return false;
    layout = decoded;
    return true;
}

}  // namespace

bool DecodeGptLayout(const SectorSource& source, DriveLayout& layout,
                     std::vector<std::string>& notes) {
    GptHeader primary;
    std::string reason;
    if (ReadTableAt(source, kPrimaryHeaderLba, layout, primary, reason)) return true;
    notes.push_back("primary GPT header " + reason);

    // The backup header sits in the drive's last sector.
    const std::uint64_t sectors = source.SectorCount();
    if (sectors < 2) return false;
    GptHeader backup;
    if (ReadTableAt(source, sectors - 1, layout, backup, reason)) {
        notes.push_back("using the backup GPT header");
        return true;
    }
    notes.push_back("backup GPT header " + reason);
    return false;
}

}  // namespace strata_sim
