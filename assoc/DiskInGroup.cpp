#include "assoc/DiskInGroup.h"

namespace strata_col {

std::vector<ReferenceMap> DiskInGroup::Collect(boost::shared_ptr<NTELVA20::ICIMNamespace>,
                                        DiskDatabaseMap&) {
    return std::vector<ReferenceMap>();
}

}  // namespace strata_col
