#include "assoc/DynamicExtentBasedOn.h"

#include "assoc/ExtentBasedOnPartition.h"

namespace strata_col {

// The partitions each dynamic volume is built on.
std::vector<ReferenceMap> DynamicExtentBasedOn::Collect(
    boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace, DiskDatabaseMap& databases) {
    ExtentBasedOnPartition builder;
    return builder.Collect(nameSpace, databases);
}

}  // namespace strata_col
