#include "tools/strata-ldm/DiskPlan.h"

#include "ldm/LdmLayout.h"

#include <stdexcept>

namespace strata_tools {

namespace {

const std::uint64_t kClassicDataStart = 63;
const std::uint64_t kMiB = 1u << 20;
// The protective MBR and the primary header precede the entry array.
const std::uint64_t kGptEntriesLba = 2;

std::uint64_t SectorsPerMiB(const GroupDescription& group) { return kMiB / group.sectorSize; }

std::uint64_t GptEntrySectors(const GroupDescription& group) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(kGptEntryCount) * kGptEntrySize;
    return (bytes + group.sectorSize - 1) / group.sectorSize;
}

std::runtime_error DoesNotFit(const DiskDescription& disk, const std::string& what) {
    return std::runtime_error("disk \"" + disk.name + "\" is too small for " + what);
}

DiskPlan PlanMbrDisk(const GroupDescription& group, const DiskDescription& disk) {
    DiskPlan plan;
    plan.style = PartitionStyle::Mbr;
    plan.sectors = disk.sectors;
    plan.configSectors = group.configSectors;
    plan.headerSector = strata_col::ldm_layout::kPrivHeadSector;
    if (disk.dataStart <= plan.headerSector) {
        throw std::runtime_error("disk \"" + disk.name +
                                 "\" has its data region over its private header");
    }
    if (disk.sectors < disk.dataStart + group.configSectors + 1) {
        throw DoesNotFit(disk, "its database");
    }
    plan.configStart = disk.sectors - group.configSectors;
    plan.dataStart = disk.dataStart;
    plan.dataSectors = plan.configStart - plan.dataStart;
    return plan;
}

DiskPlan PlanGptDisk(const GroupDescription& group, const DiskDescription& disk) {
    DiskPlan plan;
    plan.style = PartitionStyle::Gpt;
    plan.sectors = disk.sectors;
    plan.entrySectors = GptEntrySectors(group);
    plan.firstUsable = kGptEntriesLba + plan.entrySectors;
    // Backup entry array and backup header at the end of the disk.
    const std::uint64_t tail = plan.entrySectors + 1;
    plan.configStart = plan.firstUsable;
    plan.configSectors = group.configSectors;
    plan.reservedStart = plan.configStart + plan.configSectors;
    plan.reservedSectors = disk.reservedSectors;
    plan.headerSector = plan.reservedStart - 1;
    if (disk.dataStart < plan.reservedStart + plan.reservedSectors) {
        throw std::runtime_error("disk \"" + disk.name +
                                 "\" has its data region before the end of its reserved partition");
    }
    if (disk.sectors < disk.dataStart + tail + 1) {
        throw DoesNotFit(disk, "its GPT partitions");
    }
    plan.lastUsable = disk.sectors - tail - 1;
    plan.dataStart = disk.dataStart;
    plan.dataSectors = plan.lastUsable + 1 - plan.dataStart;
    return plan;
}

}  // namespace

DiskPlan PlanDisk(const GroupDescription& group, const DiskDescription& disk) {
    return disk.style == PartitionStyle::Gpt ? PlanGptDisk(group, disk) : PlanMbrDisk(group, disk);
}

std::uint64_t DefaultDataStart(const GroupDescription& group, const DiskDescription& disk) {
    const std::uint64_t mib = SectorsPerMiB(group);
    if (disk.style == PartitionStyle::Mbr) {
        return group.sectorSize == 512 ? kClassicDataStart : mib;
    }
    const std::uint64_t reservedEnd =
        kGptEntriesLba + GptEntrySectors(group) + group.configSectors + disk.reservedSectors;
    return (reservedEnd + mib - 1) / mib * mib;
}

}  // namespace strata_tools
