#include "assoc/DiskInfoAssociator.h"

#include "assoc/LogicalDiskBasedOnPartition.h"
#include "assoc/MediaPresent.h"
#include "assoc/ReferencePairs.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

std::vector<ReferenceMap> DiskInfoAssociator::MediaPresentAssociations(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    MediaPresent pairing;
    return AntecedentDependentMaps(pairing.PairMediaPresent(nameSpace, databases));
}

std::vector<ReferenceMap> DiskInfoAssociator::PartitionPresentAssociations(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    MediaPresent pairing;
    return AntecedentDependentMaps(pairing.PairPartitionPresent(nameSpace, databases));
}

std::vector<ReferenceMap> DiskInfoAssociator::LogicalDiskBasedOnPartitionAssociations(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    LogicalDiskBasedOnPartition pairing;
    return AntecedentDependentMaps(pairing.Collect(databases, nameSpace));
}

}  // namespace strata_col
