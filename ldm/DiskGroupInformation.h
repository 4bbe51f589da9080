#ifndef STRATA_LDM_DISKGROUPINFORMATION_H
#define STRATA_LDM_DISKGROUPINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"

#include <vector>

namespace strata_col {

// ORVA_DynamicDiskGroup: one record per disk group found in the databases,
// however many disks carry it. CollectionID and ElementName are the group's
// Name exactly as its record stores it (the membership associations join on
// it), DiskGroupID the record's group GUID.
class DiskGroupInformation {
public:
    virtual ~DiskGroupInformation() {}
    std::vector<PropertyMap> Collect(const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
