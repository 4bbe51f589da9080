#include "assoc/ExtentInGroup.h"

#include "assoc/DynamicExtentInDiskGroup.h"

namespace strata_col {

std::vector<ReferenceMap> ExtentInGroup::Collect(
    boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace, DiskDatabaseMap& databases) {
    DynamicExtentInDiskGroup builder;
    return builder.Collect(nameSpace, databases);
}

}  // namespace strata_col
