#ifndef STRATA_LDM_DISKGROUPINFORMATION_H
#define STRATA_LDM_DISKGROUPINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/LDMDataBase.h"

#include <vector>

namespace strata_col {

// ORVA_DynamicDiskGroup: one record per disk group found in the databases.
class DiskGroupInformation {
public:
    virtual ~DiskGroupInformation() {}
    std::vector<PropertyMap> Collect(const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
