// The indexes MediaPresent pairs: drives, logical disks and partitions read
// from the host, each keyed the way the other side can find it.
#include "assoc/MediaPresent.h"

#include "ldm/DatabaseLookup.h"
#include "ldm/DynamicDeviceIds.h"
#include "assoc/VolumeExtentMatch.h"
#include "collect/TextConversions.h"
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/DriveHeaders.h"
#include "volume/StorageVolEnum.h"

#include <unordered_map>

using NTELVA20::ICIMNamespace;

namespace strata_col {

namespace {

// A version-4 disk record's DiskID carries a second GUID after a comma.
std::string FirstGuidOf(const std::string& diskId) {
    return diskId.substr(0, diskId.find(','));
}

// The databases' keys, found from a disk record's GUID.
class DriveKeys {
public:
    explicit DriveKeys(const DiskDatabaseMap& databases) : databases_(databases) {
        // In key order, so that of two keys of one GUID the first is kept.
        for (const auto& entry : databases) byNormalGuid_.emplace(NormalizedGuid(entry.first), entry.first);
    }

    // The databases key of the disk whose record GUID this is; the record's
    // GUID text itself when no database is kept under it.
    const std::string& Of(const std::string& recordGuid) const {
        if (databases_.count(recordGuid)) return recordGuid;
        const auto key = byNormalGuid_.find(NormalizedGuid(recordGuid));
        return key != byNormalGuid_.end() ? key->second : recordGuid;
    }

private:
    const DiskDatabaseMap& databases_;
    std::unordered_map<std::string, std::string> byNormalGuid_;
};

}  // namespace

MediaPresent::MediaPresent() : log(LogMessage::Instance()) {}

InstanceIndex MediaPresent::IndexDrives(boost::shared_ptr<ICIMNamespace> nameSpace) {
    DeviceMap disks;
    {
        PhysDiskEnum enumerator;
        disks = enumerator.EnumerateDevices(kDiskInterface);
    }
    InstanceIndex index;
    DriveHeaders drives;
    for (const InstancePtr& drive : ReadInstances(nameSpace, "ORVA_MediaAccessDevice")) {
        const std::string name = PropertyTextOr(drive, "Name", "Unknown");
        const std::string deviceId = PropertyTextOr(drive, "DeviceID", "");
        DeviceMap::const_iterator device = disks.lower_bound(deviceId);
        // Only disks are indexed: optical, tape and floppy drives are not in
        // the disk interface class.
        if (device == disks.end() || device->first != deviceId) continue;
        const std::string& diskGuid = drives.DiskGuidOf(device->second);
        index.insert(std::make_pair(diskGuid.empty() ? name : diskGuid, drive));
    }
    log->WriteLevel4(ToDecimalText(index.size()) + " physical drives were detected.");
    return index;
}

InstanceIndex MediaPresent::IndexLogicalDisks(boost::shared_ptr<ICIMNamespace> nameSpace) {
    InstanceIndex index;
    DriveHeaders drives;
    for (const InstancePtr& logicalDisk : ReadInstances(nameSpace, "ORVA_LogicalDisk")) {
        std::string deviceId;
        if (!ReadPropertyText(logicalDisk, "DeviceID", deviceId)) continue;
        StorageVolEnum volumes;
        // Every association asks for a volume's extents anew: each logs its
        // own failing query, as the system does.
        for (const auto& extent : volumes.GetDynamicVolumeExtents(volumes.LogicalDiskDevicePath(deviceId))) {
            if (extent.first.empty()) continue;
            const std::string& diskGuid = drives.DiskGuidOf(extent.first);
            if (!diskGuid.empty()) index.insert(std::make_pair(diskGuid, logicalDisk));
        }
        for (const std::string& driveName : volumes.DiskNamesForVolume(deviceId)) {
            index.insert(std::make_pair(driveName, logicalDisk));
        }
    }
    log->WriteLevel4(ToDecimalText(index.size()) + " physical drives for the installed volumes");
    return index;
}

SignatureIndex MediaPresent::IndexPartitionsBySignature(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    SignatureIndex index;
    for (const InstancePtr& partition : ReadInstances(nameSpace, "ORVA_DiskPartition")) {
        std::string signature;
        if (ReadPropertyText(partition, "Signature", signature)) {
            index.insert(std::make_pair(DecimalTextToNumber(signature), partition));
        }
    }
    return index;
}

InstanceIndex MediaPresent::IndexDynamicPartitions(boost::shared_ptr<ICIMNamespace> nameSpace,
                                                   const DiskDatabaseMap& databases) {
    InstanceIndex index;
    const DynamicDeviceIds ids(databases);
    const RecordOwners owners(databases, ids, &LDMDataBase::partitions);
    const DriveKeys driveKeys(databases);
    for (const InstancePtr& partition : ReadInstances(nameSpace, "ORVA_DiskPartition")) {
        std::string deviceId;
        if (!ReadPropertyText(partition, "DeviceID", deviceId)) continue;
        // A dynamic-disk partition's DeviceID names its record.
        const OwnedRecord owned = owners.Find(deviceId);
        if (!owned.database) continue;
        const RecordMap* disk = FindRecord(owned.database->disks, RecordField(*owned.record, "DiskID"));
        if (!disk) continue;
        const std::string diskGuid = FirstGuidOf(RecordField(*disk, "DiskID"));
        if (!diskGuid.empty()) index.insert(std::make_pair(driveKeys.Of(diskGuid), partition));
    }
    return index;
}


}  // namespace strata_col
