// Serves the information classes: runs each class's collector and commits
// one instance per record.
#ifndef STRATA_COLLECT_HARDWAREINFORMATION_H
#define STRATA_COLLECT_HARDWAREINFORMATION_H

#include "collect/LogMessage.h"
#include "collect/PropertyMap.h"
#include "ldm/DatabaseCache.h"
#include "plugin/telva.h"

#include <map>
#include <string>
#include <vector>

namespace strata_col {

class HardwareInformation {
public:
    // Reads the present disks and their dynamic-disk databases. Databases
    // decoded from the same bytes are shared through `cache`, when given,
    // which must outlive the collector.
    explicit HardwareInformation(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                 DatabaseCache* cache = nullptr);
    virtual ~HardwareInformation();

    void Collect(boost::shared_ptr<NTELVA20::ICIMClass> cimClass);
    void AddKeyProperties(PropertyMap& record);

private:
    typedef std::vector<PropertyMap> (HardwareInformation::*Gather)();
    typedef std::map<std::string, Gather> ClassTable;

    std::vector<PropertyMap> GatherLogicalDisks();
    std::vector<PropertyMap> GatherDynamicExtents();
    std::vector<PropertyMap> GatherPartitions();
    std::vector<PropertyMap> GatherDrives();
    std::vector<PropertyMap> WithKeyProperties(std::vector<PropertyMap> records);

    ClassTable classTable;
    DiskDatabaseMap diskDatabases;
    LogMessage* log;
    boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace;
    std::string systemCreationClassName;
    std::string currentClassName;
    std::string systemName;
};

}  // namespace strata_col

#endif
