// Free space, total space and quota state of a volume.
#include "volume/StorageVolEnum.h"

#include "collect/TextConversions.h"
#include "platform/win32.h"
#include "collect/DeviceHandle.h"

#include <exception>

namespace strata_col {

namespace {

std::string Decimal(std::uint64_t value) {
    return ToDecimalText(static_cast<unsigned long long>(value));
}

}  // namespace

PropertyMap StorageVolEnum::GetVolumeSpace(const std::string& volumePath, const VolumeAddress& address) {
    PropertyMap space;
    try {
        const PropertyMap quota = GetQuotaStatus(volumePath, address);

        ULARGE_INTEGER freeToCaller = {};
        ULARGE_INTEGER totalBytes = {};
        ULARGE_INTEGER totalFree = {};
        std::uint64_t total = 0;
        if (GetDiskFreeSpaceExA(address.rootPath.c_str(), &freeToCaller, &totalBytes, &totalFree)) {
            AddProperty(space, "UserDiskFreeSpace", Decimal(freeToCaller.QuadPart));
            AddProperty(space, "FreeSpace", Decimal(totalFree.QuadPart));
            AddProperty(space, "UserDiskQuota", Decimal(totalBytes.QuadPart));
            total = totalBytes.QuadPart;
        } else {
            const DWORD error = GetLastError();
            log->WriteLevel3("Unable to determine free space on this disk.");
            log->WriteSystemError(error);
        }

        DeviceHandle device(DeviceHandle::OpenForQueries(address.devicePath));
        if (!device.IsValid()) {
            const DWORD error = GetLastError();
            log->WriteLevel3("Invalid handle, unable to determine the length of this volume.");
            log->WriteSystemError(error);
        } else {
            GET_LENGTH_INFORMATION length = {};
            DWORD returned = 0;
            if (DeviceIoControl(device.Get(), IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length,
                                sizeof length, &returned, nullptr)) {
                log->WriteLevel3("Retrieved volume length information.");
                const long long bytes = length.Length.QuadPart;
                AddProperty(space, "TotalSpace",
                       static_cast<std::uint64_t>(bytes) > total ? ToDecimalText(bytes)
                                                                 : Decimal(total));
            } else {
                const DWORD error = GetLastError();
                log->WriteLevel3("Unable to determine the length of this volume.");
                log->WriteSystemError(error);
            }
        }
        space.insert(quota.begin(), quota.end());
    } catch (const std::exception&) {
    }
    return space;
}

}  // namespace strata_col
