// The basic partition behind a volume, named the way the partition instances
// are: the drive's name, a comma, "Partition " and the partition number.
#include "assoc/LogicalDiskBasedOnPartition.h"

#include "collect/DevicePaths.h"
#include "collect/TextConversions.h"
#include "platform/win32.h"
#include "collect/DeviceHandle.h"

#include <cstdint>

namespace strata_col {

std::string LogicalDiskBasedOnPartition::GetPartitionDeviceID(const std::string& logicalDiskId) {
    const std::string devicePath = volumes.AddressOf(logicalDiskId).devicePath;
    DeviceHandle volume(DeviceHandle::OpenForQueries(devicePath));
    if (!volume.IsValid()) {
        const DWORD error = GetLastError();
        log->WriteLevel3("Unable to determine the partition number for this volume.");
        log->WriteSystemError(error);
        return std::string();
    }

    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    if (!DeviceIoControl(volume.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                         sizeof number, &returned, nullptr)) {
        const DWORD error = GetLastError();
        log->WriteLevel3("IOCTL_STORAGE_GET_DEVICE_NUMBER failed.");
        log->WriteSystemError(error);
        return std::string();
    }

    std::int32_t partitionNumber = static_cast<std::int32_t>(number.PartitionNumber);
    if (partitionNumber < 0) {
        // Removable media without a partition table have no partition.
        const UINT driveType = GetDriveTypeA(logicalDiskId.c_str());
        if (driveType == DRIVE_REMOVABLE || driveType == DRIVE_UNKNOWN) return std::string();
        log->WriteLevel4("Unable to retrieve partition information.");
        partitionNumber = 0;
    }

    const PropertyMap drive = prober.GetDriveName(volume.Get());
    PropertyMap::const_iterator name = drive.find("Name");
    if (name == drive.end()) return std::string();
    return name->second + ",Partition " + ToDecimalText(partitionNumber);
}

}  // namespace strata_col
