// Which dynamic volume (ORVA_DynamicExtent) each logical disk presents.
#ifndef STRATA_ASSOC_LOGICALDISKBASEDONEXTENT_H
#define STRATA_ASSOC_LOGICALDISKBASEDONEXTENT_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class LogicalDiskBasedOnExtent {
public:
    virtual ~LogicalDiskBasedOnExtent() {}

    // One association per dynamic volume that a logical disk presents:
    // Antecedent the extent, Dependent the logical disk.
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      const DiskDatabaseMap& databases);

private:
    // Volume ObjectID to the first logical disk found on one of its
    // partitions.
    InstanceMap MapLogicalDisksByVolume(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                        const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
