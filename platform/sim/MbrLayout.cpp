// MBR partition tables, read the way Windows lists them: the four primary
// slots, then four entries for every boot record of the extended-partition
// chain (logical partition and link entries included).
#include "platform/sim/LayoutDecoder.h"

#include "platform/DiskFormat.h"
#include "platform/ByteView.h"

#include <set>

namespace strata_sim {

using disk_format::ByteView;

namespace {

using namespace disk_format;

const std::uint8_t kActiveFlag = 0x80;
const std::uint8_t kFat12 = 0x01, kFat16 = 0x04, kHuge = 0x06, kIfs = 0x07, kFat32 = 0x0B,
                   kFat32Xint13 = 0x0C, kXint13 = 0x0E;

// A chain longer than this is taken as a loop in a damaged table.
const std::size_t kMaxExtendedRecords = 256;

struct TableEntry {
    std::uint8_t bootFlag = 0;
    std::uint8_t type = 0;
    std::uint32_t startLba = 0;
    std::uint32_t sectorCount = 0;
};

bool HasBootSignature(const ByteView& sector) {
    std::uint16_t signature = 0;
    return sector.U16(kMbrBootSignatureOffset, signature) && signature == kMbrBootSignature;
}

bool ReadTable(const ByteView& sector, TableEntry (&entries)[kMbrEntryCount]) {
    for (std::size_t i = 0; i < kMbrEntryCount; ++i) {
        const std::size_t at = kMbrPartitionTableOffset + i * kMbrEntrySize;
        TableEntry& e = entries[i];
        if (!sector.U8(at + kMbrEntryBootFlagOffset, e.bootFlag) ||
            !sector.U8(at + kMbrEntryTypeOffset, e.type) ||
            !sector.U32(at + kMbrEntryFirstSectorOffset, e.startLba) ||
            !sector.U32(at + kMbrEntrySectorCountOffset, e.sectorCount)) {
            return false;
        }
    }
    return true;
}

// One layout entry; relativeBase is the sector the entry's start counts from.
PartitionEntry LayoutEntry(const TableEntry& e, std::uint64_t relativeBase, std::uint32_t bps) {
    PartitionEntry entry;
    if (e.type == PARTITION_ENTRY_UNUSED) return entry;
    entry.startingOffset = static_cast<std::int64_t>((relativeBase + e.startLba) * bps);
    entry.length = static_cast<std::int64_t>(static_cast<std::uint64_t>(e.sectorCount) * bps);
    entry.mbrType = e.type;
    entry.bootIndicator = (e.bootFlag & kActiveFlag) != 0;
    entry.recognized = IsRecognizedMbrType(e.type);
    entry.hiddenSectors = e.startLba;
    return entry;
}

void AppendExtendedChain(const SectorSource& source, std::uint32_t extendedStart,
                         DriveLayout& layout, std::vector<std::string>& notes) {
    std::set<std::uint64_t> visited;
    std::uint64_t recordLba = extendedStart;
    std::vector<unsigned char> sector;
    while (true) {
        if (visited.size() >= kMaxExtendedRecords || !visited.insert(recordLba).second) {
            notes.push_back("extended partition chain loops at sector " +
                            std::to_string(recordLba) + "; the chain ends there");
            return;
        }
        if (!source.ReadSector(recordLba, sector)) {
            notes.push_back("extended boot record at sector " + std::to_string(recordLba) +
                            " lies past the end of the drive");
            return;
        }
        const ByteView view(sector);
        TableEntry entries[kMbrEntryCount];
        if (!HasBootSignature(view) || !ReadTable(view, entries)) {
            notes.push_back("extended boot record at sector " + std::to_string(recordLba) +
                            " has no boot signature");
            return;
        }
        bool hasNext = false;
        std::uint64_t nextLba = 0;
        for (const TableEntry& e : entries) {
            // Logical partitions count from their own record, links from the
            // start of the extended partition.
            const bool link = IsExtendedMbrType(e.type);
            layout.partitions.push_back(
                LayoutEntry(e, link ? extendedStart : recordLba, source.bytesPerSector));
            if (link && !hasNext) {
                hasNext = true;
                nextLba = static_cast<std::uint64_t>(extendedStart) + e.startLba;
            }
        }
        if (!hasNext) return;
        recordLba = nextLba;
    }
}

void NumberPartitions(DriveLayout& layout) {
    std::uint32_t next = 1;
    for (PartitionEntry& entry : layout.partitions) {
        if (entry.mbrType != PARTITION_ENTRY_UNUSED && !IsExtendedMbrType(entry.mbrType)) {
            entry.number = next++;
        }
    }
}

}  // namespace

bool IsRecognizedMbrType(std::uint8_t type) {
    // Fault-tolerant set members carry the NTFT bit over an ordinary type.
    const std::uint8_t base =
        (type & PARTITION_NTFT) ? static_cast<std::uint8_t>(type & ~VALID_NTFT) : type;
    return base == kFat12 || base == kFat16 || base == kHuge || base == kIfs || base == kFat32 ||
           base == kFat32Xint13 || base == kXint13;
}

bool IsExtendedMbrType(std::uint8_t type) {
    return type == PARTITION_EXTENDED || type == PARTITION_XINT13_EXTENDED;
}

DriveLayout DecodeLayout(const SectorSource& source, std::vector<std::string>& notes) {
    DriveLayout raw;
    raw.style = PARTITION_STYLE_RAW;
    std::vector<unsigned char> sector;
    if (source.bytesPerSector < kMbrBootSignatureOffset + 2 || !source.ReadSector(0, sector)) {
        return raw;
    }
    const ByteView view(sector);
    TableEntry entries[kMbrEntryCount];
    if (!HasBootSignature(view) || !ReadTable(view, entries)) return raw;

    for (const TableEntry& e : entries) {
        if (e.type == kProtectivePartitionType) {
            DriveLayout gpt;
            if (DecodeGptLayout(source, gpt, notes)) return gpt;
            notes.push_back("protective MBR without a valid GPT; the drive reads as raw");
            return raw;
        }
    }

    DriveLayout layout;
    layout.style = PARTITION_STYLE_MBR;
    view.U32(kMbrDiskSignatureOffset, layout.mbrSignature);
    bool chainRead = false;
    for (const TableEntry& e : entries)
        layout.partitions.push_back(LayoutEntry(e, 0, source.bytesPerSector));
    for (const TableEntry& e : entries) {
        if (IsExtendedMbrType(e.type) && !chainRead) {
            chainRead = true;  // Windows follows one extended partition
            AppendExtendedChain(source, e.startLba, layout, notes);
        }
    }
    NumberPartitions(layout);
    return layout;
}

}  // namespace strata_sim
