#include "tools/strata-ldm/DiskImageWriter.h"

#include "ldm/GptFormat.h"
#include "ldm/LdmLayout.h"
#include "tools/strata-ldm/GptTableWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace strata_tools {

using namespace strata_col::ldm_layout;
using namespace disk_format;

namespace {

// The database area in 512-byte units, laid out as Windows lays out its 1 MiB
// area (2048 units): TOCBLOCKs in the second and third sectors and the two
// before the last, the VMDB at unit 17 (later on large sectors), the VBLK
// region and the log up to 1722/2048 of the area, private header copies in
// the last sector and 192 sectors before it.
const std::uint64_t kAreaModelUnits = 2048;
const std::uint64_t kAreaModelRegionEnd = 1722;
const std::uint64_t kAreaModelLogSize = 224;
const std::uint64_t kVmdbFirstUnit = 17;
const std::uint64_t kPrivHeadCopyFromEnd = 192;
const std::uint64_t kBlocksPerUnit = 512 / kVblkSize;

// Fixed time stamps keep written images identical from run to run.
const std::uint64_t kTimestamp = 0x01cd901ceb898e23ull;
const std::uint16_t kPrivHeadVersionMajor = 2;
const std::uint16_t kPrivHeadMinorV3 = 11;
const std::uint16_t kPrivHeadMinorV4 = 12;
const std::uint16_t kVmdbVersionMajor = 4;
const std::uint16_t kVmdbVersionMinor = 10;
const std::uint64_t kHeaderSequence = 5;

// MBR
const unsigned char kPartitionTypeLdm = 0x42;

void PutAt(std::ostream& out, std::uint64_t offset, const Bytes& bytes) {
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void PutChecksum(Bytes& sector, std::size_t checksumOffset, std::size_t length) {
    PutBigEndian(sector, checksumOffset, 4, StructureChecksum(sector, checksumOffset, length));
}

std::uint32_t DiskSignature(const std::string& guid) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : guid) hash = (hash ^ c) * 16777619u;
    return hash;
}

struct AreaPlan {
    std::uint64_t units;          // area size in 512-byte units
    std::uint64_t configStart;    // VMDB, in units from the area start
    std::uint64_t configSize;     // units
    std::uint64_t logStart;
    std::uint64_t logSize;
    std::uint64_t headerCopySector;  // drive sectors from the area start; 0: none
};

AreaPlan PlanArea(const GroupDescription& group) {
    AreaPlan plan;
    plan.units = group.configSectors * (group.sectorSize / 512);
    // The VMDB comes after the two leading TOCBLOCK sectors.
    plan.configStart = std::max<std::uint64_t>(kVmdbFirstUnit, 3 * (group.sectorSize / 512));
    const std::uint64_t regionEnd = plan.units * kAreaModelRegionEnd / kAreaModelUnits;
    plan.logSize = plan.units * kAreaModelLogSize / kAreaModelUnits;
    if (regionEnd < plan.configStart + plan.logSize + 2) {
        throw std::runtime_error("the database area is too small");
    }
    plan.configSize = regionEnd - plan.logSize - plan.configStart;
    plan.logStart = plan.configStart + plan.configSize;
    plan.headerCopySector = 0;
    const std::uint64_t unitsPerSector = group.sectorSize / 512;
    if (plan.units >= regionEnd + kPrivHeadCopyFromEnd &&
        (plan.units - kPrivHeadCopyFromEnd) % unitsPerSector == 0) {
        plan.headerCopySector = (plan.units - kPrivHeadCopyFromEnd) / unitsPerSector;
    }
    return plan;
}

Bytes TocBlock(const AreaPlan& plan, std::uint32_t sectorSize) {
    Bytes toc(sectorSize, 0);
    PutText(toc, kTocMagicOffset, 8, kTocMagic);
    PutBigEndian(toc, kTocSequenceOffset, 8, kHeaderSequence);
    PutText(toc, kTocConfigNameOffset, 8, "config");
    PutBigEndian(toc, kTocConfigStartOffset, 8, plan.configStart);
    PutBigEndian(toc, kTocConfigSizeOffset, 8, plan.configSize);
    PutText(toc, kTocLogNameOffset, 8, "log");
    PutBigEndian(toc, kTocLogStartOffset, 8, plan.logStart);
    PutBigEndian(toc, kTocLogSizeOffset, 8, plan.logSize);
    PutChecksum(toc, kTocChecksumOffset, 512);
    return toc;
}

}  // namespace

DiskImageWriter::DiskImageWriter(const GroupDescription& group)
    : group_(group), records_(EncodeDatabaseRecords(group)) {}

Bytes DiskImageWriter::MasterBootRecord(const DiskDescription& disk) const {
    const DiskPlan plan = PlanDisk(group_, disk);
    Bytes mbr(group_.sectorSize, 0);
    PutLittleEndian(mbr, kMbrDiskSignatureOffset, 4, DiskSignature(disk.guid));
    const std::size_t entry = kMbrPartitionTableOffset;
    mbr[entry + kMbrEntryTypeOffset] = kPartitionTypeLdm;
    PutLittleEndian(mbr, entry + kMbrEntryFirstSectorOffset, 4,
                    std::min<std::uint64_t>(plan.dataStart, kMaxMbrSectors));
    PutLittleEndian(mbr, entry + kMbrEntrySectorCountOffset, 4,
                    std::min<std::uint64_t>(plan.dataSectors, kMaxMbrSectors));
    mbr[kMbrBootSignatureOffset] = kMbrBootSignature0;
    mbr[kMbrBootSignatureOffset + 1] = kMbrBootSignature1;
    return mbr;
}

Bytes DiskImageWriter::PrivateHeaderSector(const DiskDescription& disk) const {
    const AreaPlan plan = PlanArea(group_);
    const DiskPlan placed = PlanDisk(group_, disk);
    Bytes header(group_.sectorSize, 0);
    PutText(header, kPrivHeadMagicOffset, kPrivHeadMagicSize, kPrivHeadMagic);
    PutBigEndian(header, kPrivHeadVersionMajorOffset, 2, kPrivHeadVersionMajor);
    PutBigEndian(header, kPrivHeadVersionMinorOffset, 2,
                 group_.version == 4 ? kPrivHeadMinorV4 : kPrivHeadMinorV3);
    PutBigEndian(header, kPrivHeadTimestampOffset, 8, kTimestamp);
    PutBigEndian(header, kPrivHeadSequenceOffset, 8, kHeaderSequence);
    PutBigEndian(header, kPrivHeadPrimaryLbaOffset, 8, group_.configSectors - 1);
    PutBigEndian(header, kPrivHeadSecondaryLbaOffset, 8, plan.headerCopySector);
    PutText(header, kDiskGuidOffset, kDiskGuidSize - 1, disk.guid);
    PutText(header, kHostGuidOffset, kHostGuidSize - 1, group_.guid);
    PutText(header, kGroupGuidOffset, kGroupGuidSize - 1, group_.guid);
    PutText(header, kGroupNameOffset, kGroupNameSize - 1, group_.name);
    PutBigEndian(header, kLogicalDiskStartOffset, 8, placed.dataStart);
    PutBigEndian(header, kLogicalDiskSizeOffset, 8, placed.dataSectors);
    PutBigEndian(header, kConfigStartOffset, 8, placed.configStart);
    PutBigEndian(header, kConfigSizeOffset, 8, group_.configSectors);
    PutBigEndian(header, kTocCountOffset, 8, 1);
    PutBigEndian(header, kTocSizeOffset, 8, group_.configSectors - 2);
    PutBigEndian(header, kConfigCountOffset, 4, 1);
    PutBigEndian(header, kLogCountOffset, 4, 1);
    PutBigEndian(header, kConfigRegionSizeOffset, 8, plan.configSize);
    PutBigEndian(header, kLogSizeOffset, 8, plan.logSize);
    PutBigEndian(header, kDiskSignatureOffset, 4, DiskSignature(disk.guid));
    if (group_.version == 4) {
        const Bytes diskSet = GuidTextBytes(group_.diskSetGuid);
        std::copy(diskSet.begin(), diskSet.end(), header.begin() + kDiskSetGuidOffset);
        std::copy(diskSet.begin(), diskSet.end(), header.begin() + kDiskSetGuidDupOffset);
    }
    PutChecksum(header, kPrivHeadChecksumOffset, kPrivHeadSize);
    return header;
}

Bytes DiskImageWriter::DatabaseArea() const {
    const AreaPlan plan = PlanArea(group_);
    const std::uint32_t sector = group_.sectorSize;
    Bytes area(static_cast<std::size_t>(plan.units * 512), 0);

    const Bytes toc = TocBlock(plan, sector);
    const std::uint64_t sectors = group_.configSectors;
    for (std::uint64_t at : {std::uint64_t(1), std::uint64_t(2), sectors - 3, sectors - 2}) {
        std::copy(toc.begin(), toc.end(), area.begin() + at * sector);
    }

    // VMDB
    const std::size_t vmdb = static_cast<std::size_t>(plan.configStart * 512);
    const std::uint64_t slots = plan.configSize * kBlocksPerUnit;
    PutText(area, vmdb + kVmdbMagicOffset, 4, kVmdbMagic);
    PutBigEndian(area, vmdb + kVmdbLastSequenceOffset, 4, slots);
    PutBigEndian(area, vmdb + kVmdbVblkSizeOffset, 4, kVblkSize);
    PutBigEndian(area, vmdb + kVmdbFirstVblkOffset, 4, kVmdbSize);
    PutBigEndian(area, vmdb + kVmdbUpdateStatusOffset, 2, 1);
    PutBigEndian(area, vmdb + kVmdbVersionMajorOffset, 2, kVmdbVersionMajor);
    PutBigEndian(area, vmdb + kVmdbVersionMinorOffset, 2, kVmdbVersionMinor);
    PutText(area, vmdb + kVmdbGroupNameOffset, 31, group_.name);
    PutText(area, vmdb + kVmdbGroupGuidOffset, 63, group_.guid);
    PutBigEndian(area, vmdb + kVmdbCommittedSeqOffset, 8, records_.lastCommitId);
    PutBigEndian(area, vmdb + kVmdbPendingSeqOffset, 8, records_.lastCommitId);
    for (std::size_t counts : {kVmdbCommittedCountsOffset, kVmdbPendingCountsOffset}) {
        PutBigEndian(area, vmdb + counts, 4, records_.volumes);
        PutBigEndian(area, vmdb + counts + 4, 4, records_.components);
        PutBigEndian(area, vmdb + counts + 8, 4, records_.partitions);
        PutBigEndian(area, vmdb + counts + 12, 4, records_.disks);
    }
    PutBigEndian(area, vmdb + kVmdbTimestampOffset, 8, kTimestamp);

    // VBLK slots follow the VMDB; each carries the magic and its sequence
    // number. A record longer than one block continues in the next slots,
    // each again with the block header.
    const std::size_t dataPerBlock = kVblkSize - kVblkUpdateStatusOffset;
    std::uint64_t slot = kBlocksPerUnit;  // the VMDB takes the first slots
    std::uint32_t groupNumber = 1;
    for (const EncodedRecord& record : records_.records) {
        const std::size_t blocks = (record.data.size() + dataPerBlock - 1) / dataPerBlock;
        for (std::size_t i = 0; i < blocks; ++i, ++slot) {
            if (slot >= slots) {
                throw std::runtime_error("the database area is too small for the records");
            }
            const std::size_t at = vmdb + static_cast<std::size_t>(slot * kVblkSize);
            PutText(area, at + kVblkMagicOffset, kVblkMagicSize, kVblkMagic);
            PutBigEndian(area, at + kVblkSequenceOffset, 4, slot);
            PutBigEndian(area, at + kVblkGroupOffset, 4, groupNumber);
            PutBigEndian(area, at + kVblkRecordIndexOffset, 2, i);
            PutBigEndian(area, at + kVblkRecordCountOffset, 2, blocks);
            const std::size_t from = i * dataPerBlock;
            const std::size_t count = std::min(dataPerBlock, record.data.size() - from);
            std::copy(record.data.begin() + from, record.data.begin() + from + count,
                      area.begin() + at + kVblkUpdateStatusOffset);
        }
        ++groupNumber;
    }
    for (; slot < slots; ++slot) {
        const std::size_t at = vmdb + static_cast<std::size_t>(slot * kVblkSize);
        PutText(area, at + kVblkMagicOffset, kVblkMagicSize, kVblkMagic);
        PutBigEndian(area, at + kVblkSequenceOffset, 4, slot);
    }
    return area;
}

void DiskImageWriter::WriteMbrTable(std::ostream& out, const DiskDescription& disk) const {
    PutAt(out, 0, MasterBootRecord(disk));
}

void DiskImageWriter::WriteGptTable(std::ostream& out, const DiskDescription& disk) const {
    const std::uint64_t sector = group_.sectorSize;
    const GptTableWriter table(group_, disk);
    const Bytes entries = table.EntryArray();
    PutAt(out, 0, table.ProtectiveMbr());
    PutAt(out, kPrimaryHeaderLba * sector, table.Header(true, entries));
    PutAt(out, (kPrimaryHeaderLba + 1) * sector, entries);
    PutAt(out, table.BackupEntriesLba() * sector, entries);
    PutAt(out, table.BackupHeaderLba() * sector, table.Header(false, entries));
}

void DiskImageWriter::Write(const std::string& diskName, NewFile& file) const {
    const DiskDescription* disk = group_.FindDisk(diskName);
    if (disk == nullptr) {
        throw std::runtime_error("no disk \"" + diskName + "\" in the description");
    }
    // The file is new and ours (NewFile made it), so opening it by name
    // writes nothing else.
    std::ofstream out(file.TemporaryPath(), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        throw std::runtime_error("cannot write " + file.Path());
    }
    WriteImage(out, *disk);
    out.close();
    if (!out) {
        throw std::runtime_error("writing " + file.Path() + " failed");
    }
    file.Commit();
}

void DiskImageWriter::Write(const std::string& diskName, const std::string& path,
                            const ExistingFileRule& rule) const {
    const std::filesystem::path target(path);
    NewFile file(target.parent_path().string(), target.filename().string(), rule);
    Write(diskName, file);
}

void DiskImageWriter::WriteImage(std::ostream& out, const DiskDescription& disk) const {
    const std::uint64_t sector = group_.sectorSize;
    const DiskPlan plan = PlanDisk(group_, disk);
    const Bytes header = PrivateHeaderSector(disk);
    // The full size first, without writing the data region.
    out.seekp(static_cast<std::streamoff>(plan.sectors * sector - 1));
    out.put('\0');
    if (plan.style == PartitionStyle::Gpt) {
        WriteGptTable(out, disk);
    } else {
        WriteMbrTable(out, disk);
        PutAt(out, plan.headerSector * sector, header);
    }
    // The area ends with a header copy; on a GPT disk that copy, the last
    // sector of the metadata partition, is the one the reader looks for.
    PutAt(out, plan.configStart * sector, DatabaseArea());
    PutAt(out, (plan.configStart + plan.configSectors - 1) * sector, header);
    const std::uint64_t copy = PlanArea(group_).headerCopySector;
    if (copy != 0) {
        PutAt(out, (plan.configStart + copy) * sector, header);
    }
}

}  // namespace strata_tools
