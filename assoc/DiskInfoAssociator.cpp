#include "assoc/DiskInfoAssociator.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

std::vector<ReferenceMap> DiskInfoAssociator::MediaPresentAssociations(
    boost::shared_ptr<ICIMNamespace>) {
    return std::vector<ReferenceMap>();
}

std::vector<ReferenceMap> DiskInfoAssociator::PartitionPresentAssociations(
    boost::shared_ptr<ICIMNamespace>) {
    return std::vector<ReferenceMap>();
}

std::vector<ReferenceMap> DiskInfoAssociator::LogicalDiskBasedOnPartitionAssociations(
    boost::shared_ptr<ICIMNamespace>) {
    return std::vector<ReferenceMap>();
}

}  // namespace strata_col
