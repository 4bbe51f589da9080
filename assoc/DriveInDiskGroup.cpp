#include "assoc/DriveInDiskGroup.h"

#include "assoc/DiskGroupJoin.h"
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "ldm/PlatformDiskAccess.h"
#include "ldm/PrivateHeader.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

std::vector<ReferenceMap> DriveInDiskGroup::Collect(boost::shared_ptr<ICIMNamespace> nameSpace,
                                                    const DiskDatabaseMap&) {
    const InstanceMap groups = MapGroupsByCollectionID(nameSpace);
    return JoinGroupMembers(groups, MapDrivesByGroupName(nameSpace));
}

InstanceIndex DriveInDiskGroup::MapDrivesByGroupName(boost::shared_ptr<ICIMNamespace> nameSpace) {
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

bool DriveInDiskGroup::ReadGroupName(const std::string& devicePath, std::string& groupName) {
    PlatformDiskAccess access;
    LDMDBParser parser(access);
    const int file = access.Open(devicePath);
    if (file < 0) return false;
    const std::uint32_t sectorSize = parser.GetBytesPerSector(devicePath);
    std::vector<unsigned char> header(ldm_layout::kPrivHeadSize, 0);
    const bool found = sectorSize != 0 && parser.ReadPrivateHeader(file, header, sectorSize);
    access.Close(file);

    PrivateHeader fields;
    if (!found || !DecodePrivateHeader(header, fields)) return false;
    groupName = fields.groupName;
    return true;
}

}  // namespace strata_col
