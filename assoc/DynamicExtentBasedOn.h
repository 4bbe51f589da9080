#ifndef STRATA_ASSOC_DYNAMICEXTENTBASEDON_H
#define STRATA_ASSOC_DYNAMICEXTENTBASEDON_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class DynamicExtentBasedOn {
public:
    virtual ~DynamicExtentBasedOn() {}
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
