#include "disk/PhysDiskInformation.h"

namespace strata_col {

std::vector<PropertyMap> PhysDiskInformation::Collect(const std::string&, DiskDatabaseMap&) {
    return std::vector<PropertyMap>();
}

}  // namespace strata_col
