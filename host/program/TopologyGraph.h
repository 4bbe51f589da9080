// The storage topology of a report as a graph: drives hold partitions,
// partitions carry logical disks or build dynamic extents, extents present
// logical disks, and disk groups enclose their drives, partitions and
// extents. Built from the instances and associations alone.
#ifndef STRATA_HOST_PROGRAM_TOPOLOGYGRAPH_H
#define STRATA_HOST_PROGRAM_TOPOLOGYGRAPH_H

#include "host/program/HostReport.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace telva_host {

enum class NodeKind { kDrive, kPartition, kExtent, kLogicalDisk, kGroup };

struct TopologyNode {
    std::string id;                  // kind and identifying key, unique
    NodeKind kind = NodeKind::kDrive;
    std::string title;               // "Disk 0", "Partition 1", "C:\"
    std::vector<std::string> details;
    std::string key;                 // the instance's DeviceID (CollectionID of a group)
    bool dynamic = false;            // part of a dynamic disk's storage
    bool empty = false;              // a drive or volume without medium
    std::string group;               // id of the enclosing disk group, if any
    std::string drive;               // a partition's drive: id of the drive holding it
    std::uint64_t start = 0;         // a partition's starting offset in bytes
};

enum class EdgeKind {
    kHolds,         // drive → partition
    kContains,      // extended partition → logical drive that lies in it
    kCarries,       // partition → logical disk
    kBuilds,        // dynamic partition → dynamic extent
    kPresents,      // dynamic extent → logical disk
    kMediaPresent,  // drive → logical disk, when no partition path says so
    kFolder,        // volume → the volume mounted in one of its folders
    kPlacement      // no association: keeps an item beside its drive
};

struct TopologyEdge {
    std::string from;
    std::string to;
    EdgeKind kind;
};

struct TopologyGraph {
    std::vector<TopologyNode> nodes;   // drives in report order, then the rest
    std::vector<TopologyEdge> edges;
    std::map<std::string, std::string> groupNames;  // group node id → its name

    const TopologyNode* Find(const std::string& id) const;
};

TopologyGraph BuildTopology(const HostReport& report);

}  // namespace telva_host

#endif
