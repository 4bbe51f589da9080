#include "assoc/LogicalDiskBasedOnExtent.h"

#include "ldm/DatabaseLookup.h"
#include "ldm/DynamicDeviceIds.h"
#include "assoc/ReferencePairs.h"
#include "assoc/VolumeExtentMatch.h"
#include "volume/StorageVolEnum.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

std::vector<ReferenceMap> LogicalDiskBasedOnExtent::Collect(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    const InstanceMap logicalDisks = MapLogicalDisksByVolume(nameSpace, databases);
    // An extent's DeviceID is its volume's ObjectID.
    const InstanceMap extents = MapInstancesByDeviceID(nameSpace, "ORVA_DynamicExtent");

    std::vector<ReferenceMap> associations;
    for (const auto& extent : extents) {
        InstanceMap::const_iterator logicalDisk = logicalDisks.find(extent.first);
        if (logicalDisk == logicalDisks.end()) continue;
        associations.push_back(
            MakeAssociation("Antecedent", extent.second, "Dependent", logicalDisk->second));
    }
    return associations;
}

InstanceMap LogicalDiskBasedOnExtent::MapLogicalDisksByVolume(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    InstanceMap byVolume;
    StorageVolEnum volumes;
    DriveHeaders drives;
    const DynamicDeviceIds ids(databases);
    for (const InstancePtr& logicalDisk : ReadInstances(nameSpace, "ORVA_LogicalDisk")) {
        std::string deviceId;
        if (!ReadPropertyText(logicalDisk, "DeviceID", deviceId)) continue;
        // Asked anew here, as by every association: each logs its own failure.
        for (const auto& extent : volumes.GetDynamicVolumeExtents(volumes.LogicalDiskDevicePath(deviceId))) {
            const PartitionMatch match = MatchVolumeExtent(drives, extent.first, extent.second, databases);
            if (!match.Found()) continue;
            const std::string volumeId = VolumeIdOfPartition(*match.database, *match.partition);
            if (!volumeId.empty()) byVolume.insert(std::make_pair(ids.DeviceId(match.database, &LDMDataBase::volumes, volumeId), logicalDisk));
        }
    }
    return byVolume;
}

}  // namespace strata_col
