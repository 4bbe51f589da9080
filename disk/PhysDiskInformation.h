#ifndef STRATA_DISK_PHYSDISKINFORMATION_H
#define STRATA_DISK_PHYSDISKINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/LDMDataBase.h"

#include <string>
#include <vector>

namespace strata_col {

// The drive classes: one record per present drive of the class's interface.
class PhysDiskInformation {
public:
    virtual ~PhysDiskInformation() {}
    std::vector<PropertyMap> Collect(const std::string& className, DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
