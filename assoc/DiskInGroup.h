#ifndef STRATA_ASSOC_DISKINGROUP_H
#define STRATA_ASSOC_DISKINGROUP_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class DiskInGroup {
public:
    virtual ~DiskInGroup() {}
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      DiskDatabaseMap& databases);
};

}  // namespace strata_col

#endif
