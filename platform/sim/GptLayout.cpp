// GUID partition tables: the header at LBA 1 (or its backup), checked by
// CRC32, and the used entries of its partition array.
#include "platform/sim/LayoutDecoder.h"

#include "platform/sim/ByteView.h"
#include "platform/sim/Guid.h"

#include <boost/crc.hpp>

#include <cstring>

namespace strata_sim {

namespace {

const char kSignature[] = "EFI PART";
const std::size_t kSignatureLength = 8;
const std::uint64_t kPrimaryHeaderLba = 1;

// Header fields.
const std::size_t kHeaderSize = 12;
const std::size_t kHeaderCrc = 16;
const std::size_t kMyLba = 24;
const std::size_t kAlternateLba = 32;
const std::size_t kFirstUsableLba = 40;
const std::size_t kLastUsableLba = 48;
const std::size_t kDiskGuid = 56;
const std::size_t kEntriesLba = 72;
const std::size_t kEntryCount = 80;
const std::size_t kEntrySize = 84;
const std::size_t kEntriesCrc = 88;
const std::uint32_t kMinHeaderSize = 92;

// Entry fields.
const std::size_t kTypeGuid = 0;
const std::size_t kUniqueGuid = 16;
const std::size_t kStartLba = 32;
const std::size_t kEndLba = 40;
const std::size_t kAttributes = 48;
const std::size_t kName = 56;
const std::size_t kNameChars = 36;
const std::uint32_t kMinEntrySize = 128;

// Larger arrays are taken as damage rather than read.
const std::uint64_t kMaxEntryArrayBytes = 4u << 20;

std::uint32_t Crc32(const unsigned char* data, std::size_t size) {
    boost::crc_32_type crc;
    crc.process_bytes(data, size);
    return crc.checksum();
}

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
bool ReadHeader(const SectorSource& source, std::uint64_t lba, GptHeader& header, std::string& reason) {
    std::vector<unsigned char> sector;
    if (!source.ReadSector(lba, sector)) {
        reason = "lies past the end of the drive";
        return false;
    }
    ByteView view(sector);
    if (std::memcmp(sector.data(), kSignature, kSignatureLength) != 0) {
        reason = "has no EFI PART signature";
        return false;
    }
    std::uint32_t size = 0, storedCrc = 0;
    std::uint64_t myLba = 0;
    if (!view.U32(kHeaderSize, size) || size < kMinHeaderSize || size > sector.size() ||
        !view.U32(kHeaderCrc, storedCrc)) {
        reason = "has an impossible header size";
        return false;
    }
    std::vector<unsigned char> copy(sector.begin(), sector.begin() + size);
    std::memset(&copy[kHeaderCrc], 0, sizeof(storedCrc));
    if (Crc32(copy.data(), copy.size()) != storedCrc) {
        reason = "fails its CRC32 check";
        return false;
    }
    if (!view.U64(kMyLba, myLba) || myLba != lba || !view.U64(kAlternateLba, header.alternateLba) ||
        !view.U64(kFirstUsableLba, header.firstUsable) || !view.U64(kLastUsableLba, header.lastUsable) ||
        !ReadDiskGuid(view, kDiskGuid, header.diskId) || !view.U64(kEntriesLba, header.entriesLba) ||
        !view.U32(kEntryCount, header.entryCount) || !view.U32(kEntrySize, header.entrySize) ||
        !view.U32(kEntriesCrc, header.entriesCrc)) {
        reason = "does not describe its own position";
        return false;
    }
    if (header.entrySize < kMinEntrySize || header.entrySize % 8 != 0 ||
        static_cast<std::uint64_t>(header.entryCount) * header.entrySize > kMaxEntryArrayBytes) {
        reason = "has an impossible partition array size";
        return false;
    }
    return true;
}

bool ReadEntries(const SectorSource& source, const GptHeader& header, DriveLayout& layout, std::string& reason) {
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
        const ByteView e = view.Slice(static_cast<std::size_t>(i) * header.entrySize, header.entrySize);
        PartitionEntry entry;
        std::uint64_t start = 0, end = 0;
        if (!ReadDiskGuid(e, kTypeGuid, entry.gptType) || !ReadDiskGuid(e, kUniqueGuid, entry.gptId) ||
            !e.U64(kStartLba, start) || !e.U64(kEndLba, end) || !e.U64(kAttributes, entry.gptAttributes)) {
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
        for (std::size_t c = 0; c < kNameChars; ++c) {
            std::uint16_t unit = 0;
            if (!e.U16(kName + 2 * c, unit) || unit == 0) break;
            entry.gptName.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        entry.number = number++;
        layout.partitions.push_back(entry);
    }
    return true;
}

bool ReadTableAt(const SectorSource& source, std::uint64_t lba, DriveLayout& layout, GptHeader& header,
                 std::string& reason) {
    if (!ReadHeader(source, lba, header, reason)) return false;
    DriveLayout decoded;
    decoded.style = PARTITION_STYLE_GPT;
    decoded.gptDiskId = header.diskId;
    decoded.gptStartingUsableOffset = static_cast<std::int64_t>(header.firstUsable * source.bytesPerSector);
    decoded.gptUsableLength =
        header.lastUsable >= header.firstUsable
            ? static_cast<std::int64_t>((header.lastUsable - header.firstUsable + 1) * source.bytesPerSector)
            : 0;
    decoded.gptMaxPartitionCount = header.entryCount;
    if (!ReadEntries(source, header, decoded, reason)) return false;
    layout = decoded;
    return true;
}

}  // namespace

bool DecodeGptLayout(const SectorSource& source, DriveLayout& layout, std::vector<std::string>& notes) {
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
