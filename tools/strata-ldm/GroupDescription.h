// A small description of a dynamic disk group, from which disk images are
// written: the group, its disks, and its volumes with their partitions.
#ifndef STRATA_TOOLS_GROUPDESCRIPTION_H
#define STRATA_TOOLS_GROUPDESCRIPTION_H

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

enum class VolumeLayout { Simple, Spanned, Striped, Mirror, Raid5 };

struct PartitionDescription {
    std::string name;        // default: <disk>-<nn>
    std::string disk;        // name of the disk it lies on
    std::uint64_t start = 0; // sectors from the start of the disk's data region
    std::uint64_t size = 0;  // sectors
    // Spanned volumes: where the partition lies in the volume, in sectors,
    // when the description places it (so that records can be stored out of
    // volume order); otherwise the partitions follow each other as listed.
    bool placed = false;
    std::uint64_t volumeOffset = 0;
};

struct VolumeDescription {
    std::string name;
    VolumeLayout layout = VolumeLayout::Simple;
    std::string hint;                 // drive hint, e.g. "E:"; none when empty
    std::string state = "ACTIVE";
    unsigned char partitionType = 0x07;
    std::string guid;                 // default: derived from the name
    std::uint64_t size = 0;           // sectors; default: from the layout
    std::uint64_t stripeSize = 128;   // sectors, striped and RAID-5
    std::string id1, id2, childSize;  // optional fields, hex digits
    std::vector<PartitionDescription> partitions;
};

// How a disk is partitioned: an MBR with one container partition of type
// 0x42, or a GPT with LDM metadata, Microsoft reserved and LDM data
// partitions.
enum class PartitionStyle { Mbr, Gpt };

struct DiskDescription {
    std::string name;
    std::string guid;
    std::string alternateName;  // version-3 records only
    std::string image;          // file name used by write-all
    PartitionStyle style = PartitionStyle::Mbr;
    std::uint64_t sectors = 0;  // whole drive
    std::uint64_t dataStart = 0;
    std::uint64_t reservedSectors = 0;  // GPT: the Microsoft reserved partition
};

struct GroupDescription {
    std::uint32_t sectorSize = 512;
    std::uint64_t configSectors = 0;  // database area, sectors
    int version = 4;                  // record version of disks and the group: 3 or 4
    std::string name;
    std::string guid;
    std::string diskSetGuid;
    std::uint64_t firstObjectId = 0x401;  // of the group record; the others follow
    std::vector<DiskDescription> disks;
    std::vector<VolumeDescription> volumes;

    const DiskDescription* FindDisk(const std::string& diskName) const;
};

// Reads a description; throws std::runtime_error naming what is wrong.
GroupDescription ParseGroupDescription(const nlohmann::json& json);

// The size in sectors a volume of this layout has over these partitions.
std::uint64_t LayoutVolumeSize(const VolumeDescription& volume);

// A version-4-style GUID text made from a name, so that descriptions may
// leave GUIDs out and still give every object a stable identity.
std::string GuidFromName(const std::string& name);

}  // namespace strata_tools

#endif
