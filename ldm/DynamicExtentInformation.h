#ifndef STRATA_LDM_DYNAMICEXTENTINFORMATION_H
#define STRATA_LDM_DYNAMICEXTENTINFORMATION_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"

#include <vector>

namespace strata_col {

// ORVA_DynamicExtent: one record per dynamic volume of the machine's groups.
class DynamicExtentInformation {
public:
    virtual ~DynamicExtentInformation() {}
    std::vector<PropertyMap> Collect(const DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
