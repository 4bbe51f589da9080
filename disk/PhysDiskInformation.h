#ifndef STRATA_DISK_PHYSDISKINFORMATION_H
#define STRATA_DISK_PHYSDISKINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"

#include <string>
#include <vector>

namespace strata_col {

// The drive classes: one record per present drive of the class's interface.
// ORVA_DiskDrive, ORVA_CDROMDrive, ORVA_DVDDrive, ORVA_TapeDrive and
// ORVA_DisketteDrive have an interface class; any other name is served with
// the all-zero interface class, which has no devices.
class PhysDiskInformation {
public:
    virtual ~PhysDiskInformation() {}
    std::vector<PropertyMap> Collect(const std::string& className, DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
