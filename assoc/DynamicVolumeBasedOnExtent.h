#ifndef STRATA_ASSOC_DYNAMICVOLUMEBASEDONEXTENT_H
#define STRATA_ASSOC_DYNAMICVOLUMEBASEDONEXTENT_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class DynamicVolumeBasedOnExtent {
public:
    virtual ~DynamicVolumeBasedOnExtent() {}
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
