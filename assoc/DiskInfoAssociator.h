// Pairs drives, partitions and logical disks that the host already holds.
#ifndef STRATA_ASSOC_DISKINFOASSOCIATOR_H
#define STRATA_ASSOC_DISKINFOASSOCIATOR_H

#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

class DiskInfoAssociator {
public:
    // The databases must outlive the associator.
    explicit DiskInfoAssociator(const DiskDatabaseMap& databases) : databases(databases) {}
    DiskInfoAssociator(DiskDatabaseMap&&) = delete;
    virtual ~DiskInfoAssociator() {}

    std::vector<ReferenceMap> MediaPresentAssociations(
        boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    std::vector<ReferenceMap> PartitionPresentAssociations(
        boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    std::vector<ReferenceMap> LogicalDiskBasedOnPartitionAssociations(
        boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);

private:
    // The association collector's databases; it outlives every pairing.
    const DiskDatabaseMap& databases;
};

}  // namespace strata_col

#endif
