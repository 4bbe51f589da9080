#include "assoc/DiskInGroup.h"

#include "assoc/DriveInDiskGroup.h"

namespace strata_col {

std::vector<ReferenceMap> DiskInGroup::Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                               DiskDatabaseMap& databases) {
    DriveInDiskGroup builder;
    return builder.Collect(nameSpace, databases);
}

}  // namespace strata_col
