#ifndef STRATA_DISK_PARTITIONINFORMATION_H
#define STRATA_DISK_PARTITIONINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"

#include <vector>

namespace strata_col {

// ORVA_DiskPartition: the partitions of every disk and optical drive.
class PartitionInformation {
public:
    virtual ~PartitionInformation() {}
    std::vector<PropertyMap> Collect(DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
