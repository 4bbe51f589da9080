#include "assoc/DynamicVolumeBasedOnExtent.h"

namespace strata_col {

std::vector<ReferenceMap> DynamicVolumeBasedOnExtent::Collect(boost::shared_ptr<NTELVA20::ICIMNamespace>,
                                        DiskDatabaseMap&) {
    return std::vector<ReferenceMap>();
}

}  // namespace strata_col
