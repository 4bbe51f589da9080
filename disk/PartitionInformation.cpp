#include "disk/PartitionInformation.h"

namespace strata_col {

std::vector<PropertyMap> PartitionInformation::Collect(DiskDatabaseMap&) {
    return std::vector<PropertyMap>();
}

}  // namespace strata_col
