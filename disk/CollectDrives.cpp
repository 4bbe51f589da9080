// Drive records of one interface class, with the basic or dynamic state of
// each disk.
#include "disk/PhysDiskEnum.h"

#include "disk/InterfaceClasses.h"
#include "ldm/LDMDBParser.h"
#include "collect/DeviceHandle.h"
#include "volume/StorageVolEnum.h"

#include <cctype>

namespace strata_col {

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string GroupName(const RecordMap& group) {
    RecordMap::const_iterator name = group.find("Name");
    return name == group.end() ? std::string() : name->second;
}

// The lower-cased name of the disk group of the disk that holds the system
// volume; empty when that disk is basic.
std::string SystemDiskGroup(const DiskDatabaseMap& databases) {
    StorageVolEnum volumes;
    const std::string volumeDevice = DevicePathBeforeLastBackslash(volumes.GetSystemVolumePath());
    const ExtentMap extents = volumes.GetDynamicVolumeExtents(volumeDevice);
    if (extents.empty()) return std::string();
    LDMDBParser parser;
    DiskDatabaseMap::const_iterator database =
        databases.find(parser.GetDiskGuid(extents.rbegin()->first));
    if (database == databases.end() || database->second->diskGroups.empty()) return std::string();
    return LowerCase(GroupName(database->second->diskGroups.begin()->second));
}

void Merge(PropertyMap& record, const PropertyMap& more) { record.insert(more.begin(), more.end()); }

}  // namespace

std::vector<PropertyMap> PhysDiskEnum::CollectDrives(const GUID& interfaceClass,
                                                     DiskDatabaseMap& databases) {
    std::vector<PropertyMap> drives;
    defaultType = InterfaceTypeName(interfaceClass);
    log->WriteLevel4("Default drive type is " + defaultType);
    const bool diskClass = SameGuid(interfaceClass, kDiskInterface);

    const std::string systemGroup = SystemDiskGroup(databases);

    for (const auto& device : EnumerateDevices(interfaceClass)) {
        const std::string& instanceId = device.first;
        const std::string& devicePath = device.second;

        DiskDatabaseMap::const_iterator dynamicDisk = databases.end();
        if (diskClass) {
            const std::string& diskGuid = drives_.DiskGuidOf(devicePath);
            if (!diskGuid.empty()) dynamicDisk = databases.find(diskGuid);
        }
        // The layout probe counts a dynamic disk's partitions in its database.
        if (dynamicDisk != databases.end()) database = dynamicDisk->second;

        DeviceHandle drive(OpenDevice(devicePath));
        if (!drive.IsValid()) {
            log->WriteLevel0("Invalid handle to the disk drive. Unable to retrieve disk information.");
            continue;
        }
        PropertyMap record = GetDriveName(drive.Get());
        if (record.empty()) continue;
        Merge(record, SameGuid(interfaceClass, kCdromInterface) ? GetCdromGeometry(drive.Get())
                                                                : GetDiskGeometry(drive.Get()));
        Merge(record, GetDriveLayout(drive.Get(), devicePath));
        AddProperty(record, "DeviceID", instanceId);
        AddProperty(record, "ElementName", instanceId);

        if (dynamicDisk == databases.end()) {
            if (diskClass) {
                AddProperty(record, "DiskType", "1");
                AddProperty(record, "DiskStatus", "1");
            }
        } else {
            AddProperty(record, "DiskType", "2");
            if (database->diskGroups.empty()) {
                log->WriteLevel3("Disk found with no DiskGroup: " + devicePath);
                continue;
            }
            // Status 1 for a disk of the system disk's group, 3 for any other
            // dynamic disk.
            for (const auto& group : database->diskGroups) {
                AddProperty(record, "DiskStatus",
                       LowerCase(GroupName(group.second)) == systemGroup ? "1" : "3");
            }
        }
        drives.push_back(record);
    }
    return drives;
}

}  // namespace strata_col
