// Serves the association classes: runs each class's builder and commits one
// association instance per reference map.
#ifndef STRATA_COLLECT_HARDWAREASSOCIATIONS_H
#define STRATA_COLLECT_HARDWAREASSOCIATIONS_H

#include "collect/LogMessage.h"
#include "collect/PropertyMap.h"
#include "ldm/DatabaseCache.h"
#include "plugin/telva.h"

#include <map>
#include <string>
#include <vector>

namespace strata_col {

class HardwareAssociations {
public:
    // Reads the present disks and their dynamic-disk databases. Databases
    // decoded from the same bytes are shared through `cache`, when given,
    // which must outlive the collector.
    explicit HardwareAssociations(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                  DatabaseCache* cache = nullptr);
    virtual ~HardwareAssociations();

    void Collect(boost::shared_ptr<NTELVA20::ICIMClass> cimClass);

private:
    typedef std::vector<ReferenceMap> (HardwareAssociations::*Build)();
    typedef std::map<std::string, Build> ClassTable;

    std::vector<ReferenceMap> BuildMediaPresent();
    std::vector<ReferenceMap> BuildPartitionPresent();
    std::vector<ReferenceMap> BuildLogicalDiskBasedOnExtent();
    std::vector<ReferenceMap> BuildLogicalDiskBasedOnPartition();
    std::vector<ReferenceMap> BuildDynamicVolumeBasedOnExtent();
    std::vector<ReferenceMap> BuildDynamicExtentBasedOn();
    std::vector<ReferenceMap> BuildDriveInDiskGroup();
    std::vector<ReferenceMap> BuildDynamicExtentInDiskGroup();

    ClassTable classTable;
    boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace;
    LogMessage* log;
    DiskDatabaseMap diskDatabases;
    std::string currentClassName;
};

}  // namespace strata_col

#endif
