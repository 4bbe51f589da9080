// Enumerates the storage device interfaces and probes each drive.
//
// PhysDiskEnum's methods, by file (all in disk/):
//   PhysDiskEnum.cpp   construction, destruction, InterfaceTypeName, OpenDevice,
//                      EnumerateDevices
//   DriveProbes.cpp    GetDeviceNumber, GetMediaTypes, GetDriveName, GetDiskGeometry,
//                      GetCdromGeometry, GetGeometry, GetDriveLayout
//   CollectDrives.cpp  CollectDrives
#ifndef STRATA_DISK_PHYSDISKENUM_H
#define STRATA_DISK_PHYSDISKENUM_H

#include "collect/CriticalErrorsOff.h"
#include "collect/LogMessage.h"
#include "collect/PropertyMap.h"
#include "collect/DeviceMap.h"
#include "ldm/DiskDatabase.h"
#include "ldm/DriveHeaders.h"
#include "platform/win32.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace strata_col {

// Device type of a media-types reply to each of its media types.
typedef std::multimap<std::uint32_t, std::uint32_t> MediaTypeMap;

class PhysDiskEnum {
public:
    // While it lives, opening a drive without a medium raises no system
    // dialog (SEM_FAILCRITICALERRORS is added to the process error mode).
    PhysDiskEnum();

    // The present devices of the interface class: instance ID to path.
    DeviceMap EnumerateDevices(const GUID& interfaceClass);
    // The type name of an interface class; "Unknown Media - Disk" if unlisted.
    std::string InterfaceTypeName(const GUID& interfaceClass);
    HANDLE OpenDevice(const std::string& devicePath);

    // Drive probes.
    int GetDeviceNumber(HANDLE drive);
    MediaTypeMap GetMediaTypes(HANDLE drive);
    PropertyMap GetDriveName(HANDLE drive);
    PropertyMap GetDiskGeometry(HANDLE drive);
    PropertyMap GetCdromGeometry(HANDLE drive);
    PropertyMap GetDriveLayout(HANDLE drive, const std::string& devicePath);

    // One drive record per present drive of the interface class.
    std::vector<PropertyMap> CollectDrives(const GUID& interfaceClass, DiskDatabaseMap& databases);

    // The database of the dynamic disk probed last (read by GetDriveLayout).
    SharedDatabase database;

private:
    PropertyMap GetGeometry(HANDLE drive, DWORD geometryRequest);

    CriticalErrorsOff criticalErrorsOff_;
    LogMessage* log;
    // The drives probed, each drive's private header read once.
    DriveHeaders drives_;
    std::string defaultType;
    std::map<std::string, GUID> interfaceTypes;
};

}  // namespace strata_col

#endif
