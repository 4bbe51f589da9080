// The physical disks that hold a volume, named like the drive instances.
#include "volume/StorageVolEnum.h"

#include "collect/TextConversions.h"
#include "disk/PhysDiskEnum.h"
#include "platform/win32.h"
#include "collect/DeviceHandle.h"

#include <vector>

namespace strata_col {

std::vector<std::string> StorageVolEnum::DiskNamesForVolume(const std::string& volumePath) {
    std::vector<std::string> names;
    DeviceHandle volume(DeviceHandle::OpenForQueries(AddressOf(volumePath).devicePath));
    if (!volume.IsValid()) {
        const DWORD error = GetLastError();
        log->WriteLevel3("Unable to determine the associated physical drive for the logical extent.");
        log->WriteSystemError(error);
        return names;
    }

    // Room for one extent: a volume on several disks does not fit and is
    // named by the drive probe instead.
    VOLUME_DISK_EXTENTS extents = {};
    DWORD returned = 0;
    if (DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents,
                        sizeof extents, &returned, nullptr)) {
        if (extents.NumberOfDiskExtents >= 1) {
            names.push_back("Disk " + ToDecimalText(static_cast<std::uint32_t>(extents.Extents[0].DiskNumber)));
        }
        log->WriteLevel4("Retrieved disk extent information.");
        return names;
    }

    const DWORD error = GetLastError();
    log->WriteLevel3("Unable to determine the disk extents for this volume.");
    log->WriteLevel3("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS failed.");
    log->WriteSystemError(error);
    PhysDiskEnum prober;
    const PropertyMap drive = prober.GetDriveName(volume.Get());
    PropertyMap::const_iterator name = drive.find("Name");
    if (name != drive.end()) names.push_back(name->second);
    return names;
}

}  // namespace strata_col
