#include "volume/LogicalDiskInformation.h"

namespace strata_col {

std::vector<PropertyMap> LogicalDiskInformation::Collect(DiskDatabaseMap&) {
    return std::vector<PropertyMap>();
}

}  // namespace strata_col
