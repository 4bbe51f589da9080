#include "ldm/DiskGroupInformation.h"

namespace strata_col {

std::vector<PropertyMap> DiskGroupInformation::Collect(const DiskDatabaseMap&) {
    return std::vector<PropertyMap>();
}

}  // namespace strata_col
