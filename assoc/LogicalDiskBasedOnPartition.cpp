#include "assoc/LogicalDiskBasedOnPartition.h"

#include "assoc/VolumeExtentMatch.h"
#include "collect/TextConversions.h"
#include "ldm/DynamicDeviceIds.h"
#include "ldm/DriveHeaders.h"
#include "platform/win32.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

LogicalDiskBasedOnPartition::LogicalDiskBasedOnPartition() : log(LogMessage::Instance()) {}

ReferencePairs LogicalDiskBasedOnPartition::Collect(const DiskDatabaseMap& databases,
                                                    boost::shared_ptr<ICIMNamespace> nameSpace) {
    const InstanceIndex partitions = MapPartitions(nameSpace);
    const InstanceIndex logicalDisks = MapLogicalDisks(nameSpace, databases);

    ReferencePairs pairs;
    for (const auto& logicalDisk : logicalDisks) {
        const auto same = partitions.equal_range(logicalDisk.first);
        for (auto partition = same.first; partition != same.second; ++partition) {
            AddPair(pairs, partition->second, logicalDisk.second);
        }
    }
    return pairs;
}

// Partitions by DeviceID: for a dynamic-disk partition that is its record's
// ObjectID, for a basic one the Disk N,Partition M form.
InstanceIndex LogicalDiskBasedOnPartition::MapPartitions(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    InstanceIndex partitions;
    for (const InstancePtr& partition : ReadInstances(nameSpace, "ORVA_DiskPartition")) {
        const std::string deviceId = PropertyTextOr(partition, "DeviceID", "");
        if (!deviceId.empty()) partitions.insert(std::make_pair(deviceId, partition));
    }
    log->WriteLevel4(ToDecimalText(partitions.size()) + " partitions were detected.");
    return partitions;
}

// Logical disks keyed by the DeviceID of every partition they occupy.
InstanceIndex LogicalDiskBasedOnPartition::MapLogicalDisks(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    InstanceIndex logicalDisks;
    DriveHeaders drives;
    const DynamicDeviceIds ids(databases);
    for (const InstancePtr& logicalDisk : ReadInstances(nameSpace, "ORVA_LogicalDisk")) {
        std::string deviceId;
        if (!ReadPropertyText(logicalDisk, "DeviceID", deviceId)) continue;
        // Asked anew here, as by every association: each logs its own failure.
        for (const auto& extent : volumes.GetDynamicVolumeExtents(volumes.LogicalDiskDevicePath(deviceId))) {
            if (extent.first.empty()) continue;
            const DynamicDrive& disk = drives.Of(extent.first);
            if (disk.header.diskGuid.empty()) {
                logicalDisks.insert(std::make_pair(GetPartitionDeviceID(deviceId), logicalDisk));
                continue;
            }
            const PartitionMatch match = MatchExtentOnDisk(disk, extent.second, databases);
            if (match.Found()) {
                logicalDisks.insert(std::make_pair(ids.DeviceId(match.database, &LDMDataBase::partitions, *match.partitionId), logicalDisk));
            }
        }
    }
    log->WriteLevel4(ToDecimalText(logicalDisks.size()) +
                     " physical drives for the installed volumes");
    return logicalDisks;
}

}  // namespace strata_col
