// GUID partition tables: the header at LBA 1 (or its backup), checked by
// CRC32, and the used entries of its partition array.
#include "platform/sim/LayoutDecoder.h"

#include "platform/GptTable.h"
#include "platform/sim/Guid.h"

#include <cstring>

namespace strata_sim {

namespace {

using namespace disk_format;

const char* Why(GptHeaderProblem problem) {
    switch (problem) {
        case GptHeaderProblem::kNoSignature: return "has no EFI PART signature";
        case GptHeaderProblem::kImpossibleSize: return "has an impossible header size";
        case GptHeaderProblem::kFailsCrc: return "fails its CRC32 check";
        case GptHeaderProblem::kNotItsPosition: return "does not describe its own position";
        case GptHeaderProblem::kImpossibleArray: return "has an impossible partition array size";
        case GptHeaderProblem::kNone: break;
    }
    return "";
}

// Reads and checks the header stored at lba; why it is unusable goes to reason.
bool ReadHeader(const SectorSource& source, std::uint64_t lba, GptHeader& header, std::string& reason) {
    std::vector<unsigned char> sector;
    if (!source.ReadSector(lba, sector)) {
        reason = "lies past the end of the drive";
        return false;
    }
    const GptHeaderProblem problem = DecodeGptHeader(ByteView(sector), lba, header);
    reason = Why(problem);
    return problem == GptHeaderProblem::kNone;
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
    const ByteView view(array);
    if (!EntryArrayMatches(view, header)) {
        reason = "has a partition array that fails its CRC32 check";
        return false;
    }
    std::uint32_t number = 1;
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        GptEntry decodedEntry;
        if (!DecodeGptEntry(view, i, header.entrySize, decodedEntry)) {
            reason = "has a truncated partition entry";
            return false;
        }
        if (IsZeroGuid(decodedEntry.type)) continue;  // unused slots are not listed
        const std::uint64_t start = decodedEntry.firstLba;
        const std::uint64_t end = decodedEntry.lastLba;
        if (start > end || end >= source.SectorCount()) {
            reason = "has a partition entry outside the drive";
            return false;
        }
        PartitionEntry entry;
        entry.gptType = decodedEntry.type;
        entry.gptId = decodedEntry.id;
        entry.gptAttributes = decodedEntry.attributes;
        entry.startingOffset = static_cast<std::int64_t>(start * source.bytesPerSector);
        entry.length = static_cast<std::int64_t>((end - start + 1) * source.bytesPerSector);
        for (std::size_t c = 0; c < kEntryNameUnits; ++c) {
            std::uint16_t unit = 0;
            if (!decodedEntry.name.U16(2 * c, unit) || unit == 0) break;
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
        static_cast<std::int64_t>(header.firstUsableLba * source.bytesPerSector);
    decoded.gptUsableLength =
        header.lastUsableLba >= header.firstUsableLba
            ? static_cast<std::int64_t>((header.lastUsableLba - header.firstUsableLba + 1) *
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
