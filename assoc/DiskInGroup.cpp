#include "assoc/DiskInGroup.h"

#include "assoc/DiskGroupJoin.h"
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/LDMDBParser.h"
#include "ldm/PrivateHeader.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

std::vector<ReferenceMap> DiskInGroup::Collect(boost::shared_ptr<ICIMNamespace> nameSpace,
                                                    const DiskDatabaseMap&) {
    const InstanceMap groups = MapGroupsByCollectionID(nameSpace);
    return JoinGroupMembers(groups, MapDrivesByGroupName(nameSpace));
}

InstanceIndex DiskInGroup::MapDrivesByGroupName(boost::shared_ptr<ICIMNamespace> nameSpace) {
    DeviceMap disks;
    {
        PhysDiskEnum enumerator;
        disks = enumerator.EnumerateDevices(kDiskInterface);
    }
    InstanceIndex byGroupName;
    for (const InstancePtr& drive : ReadInstances(nameSpace, "ORVA_MediaAccessDevice")) {
        const std::string deviceId = PropertyTextOr(drive, "DeviceID", "");
        DeviceMap::const_iterator device = disks.lower_bound(deviceId);
        if (device == disks.end() || device->first != deviceId) continue;
        std::string groupName;
        if (ReadGroupName(device->second, groupName)) {
            byGroupName.insert(std::make_pair(groupName, drive));
        }
    }
    return byGroupName;
}

bool DiskInGroup::ReadGroupName(const std::string& devicePath, std::string& groupName) {
    // The same header lookup as the disk's identity: sector 6, then a GPT
    // disk's LDM metadata partition.
    const PrivateHeader header = LDMDBParser().GetPrivateHeader(devicePath);
    if (header.diskGuid.empty()) return false;
    groupName = header.groupName;
    return true;
}

}  // namespace strata_col
