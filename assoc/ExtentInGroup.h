// Which disk group each dynamic volume belongs to
// (ORVA_DynamicExtentInDiskGroup), read from the disk databases.
#ifndef STRATA_ASSOC_EXTENTINGROUP_H
#define STRATA_ASSOC_EXTENTINGROUP_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class ExtentInGroup {
public:
    virtual ~ExtentInGroup() {}

    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      const DiskDatabaseMap& databases);

    // Dynamic extents keyed by the name of their volume's disk group; one
    // entry per extent, however many disks carry its volume.
    InstanceIndex MapExtentsByGroupName(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                        const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
