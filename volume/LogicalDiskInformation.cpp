#include "volume/LogicalDiskInformation.h"

#include "volume/StorageVolEnum.h"

namespace strata_col {

std::vector<PropertyMap> LogicalDiskInformation::Collect(DiskDatabaseMap& databases) {
    StorageVolEnum volumes;
    return volumes.CollectLogicalDisks(databases);
}

}  // namespace strata_col
