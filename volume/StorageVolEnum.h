// Volumes: their paths, properties, extents and dynamic-disk layout.
//
// StorageVolEnum's methods, by file (all in volume/):
//   StorageVolEnum.cpp       construction, destruction, CollectLogicalDisks
//   VolumePaths.cpp          EnumerateVolumePaths, GetDriveLetterMap, GetDriveRoots
//   SystemVolumePaths.cpp    GetSystemVolumePath, GetBootVolumePath
//   LogicalDiskBuilder.cpp   BuildLogicalDisk, AddDynamicLayout
//   VolumeSpace.cpp          GetVolumeSpace
//   DiskQuota.cpp            GetQuotaStatus
//   DynamicVolumeLayout.cpp  GetDynamicVolumeExtents, GetVolumeLayoutAndState,
//                            MatchDynamicVolume, LayoutName
//   DiskNamesForVolume.cpp   DiskNamesForVolume
//   VolumeAddress.cpp        AddressOf, LogicalDiskDevicePath
#ifndef STRATA_VOLUME_STORAGEVOLENUM_H
#define STRATA_VOLUME_STORAGEVOLENUM_H

#include "collect/CriticalErrorsOff.h"
#include "collect/DevicePaths.h"
#include "collect/LogMessage.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "ldm/DriveHeaders.h"
#include "volume/DiskExtent.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace strata_col {

// Volume GUID name to the first drive root that leads to the volume.
typedef std::map<std::string, std::string> DriveRootMap;

// The names under which the system is asked about the volume at a volume
// path. A drive root is asked as itself (C:\ and the device \\.\C:). A mount
// folder's own path names the volume that holds the folder, so the volume
// mounted there is asked through its volume GUID path (\\?\Volume{...}\ and
// the device \\?\Volume{...}).
struct VolumeAddress {
    std::string rootPath;    // volume information, free space, quota
    std::string devicePath;  // opened for the control requests
    bool throughVolumeName = false;  // asked through the volume GUID path
};

// The volume record a volume's extents lead to, with "Layout" added (empty
// when none), and the sectors its Size counts: those of the drive on which
// it was found.
struct DynamicVolume {
    RecordMap volume;
    DriveSectors sectors;
};

// C:\ (a drive designator and its one backslash).
bool IsDriveRoot(const std::string& path);

// Lives for one collection; while it lives, the system's critical-error
// dialogs are off (an empty optical drive simply fails).
class StorageVolEnum {
public:
    StorageVolEnum();
    virtual ~StorageVolEnum() {}

    // One logical-disk record per volume path that has a drive root.
    std::vector<PropertyMap> CollectLogicalDisks(DiskDatabaseMap& databases);

    // Volume paths, volume by volume: its drive root (empty when it has
    // none), then root + folder for each folder mounted on it.
    std::vector<std::string> EnumerateVolumePaths();
    DriveRootMap GetDriveLetterMap();
    std::vector<std::string> GetDriveRoots();
    // The pieces of the first count characters that end at a separator.
    static std::vector<std::string> SplitAtChar(const char* buffer, std::size_t count,
                                                char separator);

    // The record of one ORVA_LogicalDisk; empty for the empty path.
    PropertyMap BuildLogicalDisk(const std::string& volumePath, DiskDatabaseMap& databases);
    // Free space, total space and quota state of the volume at the path,
    // asked at its address.
    PropertyMap GetVolumeSpace(const std::string& volumePath, const VolumeAddress& address);
    // DiskQuotaStatus of a drive root or of a mount folder's volume; nothing
    // for another path.
    PropertyMap GetQuotaStatus(const std::string& volumePath, const VolumeAddress& address);
    // Mount point of the volume holding the system / Windows directory.
    std::string GetSystemVolumePath();
    std::string GetBootVolumePath();
    // "Disk N" for the physical disk that holds the volume.
    std::vector<std::string> DiskNamesForVolume(const std::string& volumePath);

    // How the volume at the path is asked about. A mount folder whose
    // volume the system cannot name is logged and keeps its own path (and
    // the device path up to its last backslash, which does not open).
    VolumeAddress AddressOf(const std::string& volumePath);
    // The device path of the volume an ORVA_LogicalDisk DeviceID names: a
    // mount folder's volume as AddressOf gives it, any other ID with its
    // last character cut and "\\.\" in front.
    std::string LogicalDiskDevicePath(const std::string& logicalDiskId);

    // The volume's extents, one per physical disk, keyed by drive path.
    ExtentMap GetDynamicVolumeExtents(const std::string& devicePath);
    // The database's volume record for the volume, with "Layout" added;
    // empty when the volume lies on no dynamic-disk partition.
    RecordMap GetVolumeLayoutAndState(const std::string& devicePath,
                                      const DiskDatabaseMap& databases);
    static std::string LayoutName(int componentType, int volumeChildren, int componentChildren);

private:
    void AddDynamicLayout(const std::string& volumePath, const VolumeAddress& address,
                          const DiskDatabaseMap& databases, PropertyMap& record);
    DynamicVolume FindDynamicVolume(const std::string& devicePath, const DiskDatabaseMap& databases);
    DynamicVolume MatchDynamicVolume(const std::string& drivePath, const DiskExtent& extent,
                                     const DiskDatabaseMap& databases);

    CriticalErrorsOff criticalErrorsOff_;
    LogMessage* log;
    // The drives its volumes lie on, each read once per collection.
    DriveHeaders drives_;
};

}  // namespace strata_col

#endif
