// Which dynamic-disk partitions each dynamic volume is built on
// (ORVA_DynamicExtentBasedOn).
#ifndef STRATA_ASSOC_DYNAMICEXTENTBASEDON_H
#define STRATA_ASSOC_DYNAMICEXTENTBASEDON_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class DynamicExtentBasedOn {
public:
    virtual ~DynamicExtentBasedOn() {}

    // One association per partition of every dynamic volume: Antecedent the
    // partition, Dependent the volume's extent.
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      const DiskDatabaseMap& databases);

    // Dynamic-disk partitions keyed by the DeviceID of their volume.
    InstanceIndex MapDynamicPartitions(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                       const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
