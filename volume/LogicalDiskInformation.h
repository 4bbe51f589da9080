#ifndef STRATA_VOLUME_LOGICALDISKINFORMATION_H
#define STRATA_VOLUME_LOGICALDISKINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"

#include <vector>

namespace strata_col {

// ORVA_LogicalDisk: one record per volume path that has a drive root.
class LogicalDiskInformation {
public:
    virtual ~LogicalDiskInformation() {}
    std::vector<PropertyMap> Collect(DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
