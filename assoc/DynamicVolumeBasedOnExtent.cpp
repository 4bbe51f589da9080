#include "assoc/DynamicVolumeBasedOnExtent.h"

#include "assoc/LogicalDiskBasedOnExtent.h"

namespace strata_col {

// The logical disk that presents each dynamic volume.
std::vector<ReferenceMap> DynamicVolumeBasedOnExtent::Collect(
    boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace, DiskDatabaseMap& databases) {
    LogicalDiskBasedOnExtent builder;
    return builder.Collect(nameSpace, databases);
}

}  // namespace strata_col
