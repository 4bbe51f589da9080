// Where the pieces of one disk's image lie: partition table, private
// header, database area and data region, in the disk's own sectors.
#ifndef STRATA_TOOLS_DISKPLAN_H
#define STRATA_TOOLS_DISKPLAN_H

#include "tools/strata-ldm/GroupDescription.h"

#include <cstdint>

namespace strata_tools {

// The GPT entry array Windows writes: 128 entries of 128 bytes.
const std::uint32_t kGptEntryCount = 128;
const std::uint32_t kGptEntrySize = 128;
// An MBR entry counts sectors in 32 bits; larger counts are cut to this.
const std::uint64_t kMaxMbrSectors = 0xFFFFFFFFu;

struct DiskPlan {
    PartitionStyle style = PartitionStyle::Mbr;
    std::uint64_t sectors = 0;        // the whole disk
    std::uint64_t dataStart = 0;      // data region; partition starts count from here
    std::uint64_t dataSectors = 0;
    std::uint64_t configStart = 0;    // database area (GPT: the LDM metadata partition)
    std::uint64_t configSectors = 0;
    std::uint64_t headerSector = 0;   // the private header the reader looks for
    // GPT only: the entry array (after the header, and before the backup
    // header at the end), the usable sectors and the Microsoft reserved
    // partition between the metadata and data partitions.
    std::uint64_t entrySectors = 0;
    std::uint64_t firstUsable = 0;
    std::uint64_t lastUsable = 0;
    std::uint64_t reservedStart = 0;
    std::uint64_t reservedSectors = 0;
};

// The plan of the disk; throws std::runtime_error naming the disk when its
// pieces do not fit.
DiskPlan PlanDisk(const GroupDescription& group, const DiskDescription& disk);

// The data-region start a description may leave out: on MBR disks sector 63
// (1 MiB for sectors larger than 512 bytes); on GPT disks the first 1 MiB
// boundary after the Microsoft reserved partition.
std::uint64_t DefaultDataStart(const GroupDescription& group, const DiskDescription& disk);

}  // namespace strata_tools

#endif
