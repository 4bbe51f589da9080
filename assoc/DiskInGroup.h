// Which disk group each dynamic drive belongs to
// (ORVA_DriveInDynamicDiskGroup), read from the drive's private header.
#ifndef STRATA_ASSOC_DISKINGROUP_H
#define STRATA_ASSOC_DISKINGROUP_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <string>
#include <vector>

namespace strata_col {

class DiskInGroup {
public:
    virtual ~DiskInGroup() {}

    // The drives are placed by their own private headers; the databases
    // are not needed.
    std::vector<ReferenceMap> Collect(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                      const DiskDatabaseMap& databases);

    // Disk drives keyed by the group name in their private header; drives
    // without one are left out.
    InstanceIndex MapDrivesByGroupName(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);

private:
    // The group name of the drive's private header; false when the drive
    // cannot be read or has no header.
    bool ReadGroupName(const std::string& devicePath, std::string& groupName);
};

}  // namespace strata_col

#endif
