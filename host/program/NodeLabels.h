// How each node of the storage topology reads: a title and a few detail
// lines made from its instance ("Disk 0" / "basic disk, 256 GiB").
#ifndef STRATA_HOST_PROGRAM_NODELABELS_H
#define STRATA_HOST_PROGRAM_NODELABELS_H

#include "host/program/TopologyGraph.h"

namespace telva_host {

// A drive of one of the five drive classes; marks it dynamic or empty.
void DescribeDrive(TopologyNode& node, const std::string& className, const InstanceRecord& drive);
// A partition by its number (basic) or its database name (dynamic).
void DescribePartition(TopologyNode& node, const InstanceRecord& partition);
// A logical disk by its path, label, file system, size and quota.
void DescribeLogicalDisk(TopologyNode& node, const InstanceRecord& disk);
// A dynamic extent by its volume name, the layout of the logical disk it
// presents (when there is one) and its size.
void DescribeExtent(TopologyNode& node, const InstanceRecord& extent, const InstanceRecord* presented);

}  // namespace telva_host

#endif
