#include "disk/PartitionInformation.h"

#include "disk/InterfaceClasses.h"
#include "disk/PartitionEnum.h"

namespace strata_col {

std::vector<PropertyMap> PartitionInformation::Collect(DiskDatabaseMap& databases) {
    PartitionEnum partitions;
    std::vector<PropertyMap> records = partitions.CollectPartitions(kDiskInterface, databases);
    const std::vector<PropertyMap> optical = partitions.CollectPartitions(kCdromInterface, databases);
    records.insert(records.end(), optical.begin(), optical.end());
    return records;
}

}  // namespace strata_col
