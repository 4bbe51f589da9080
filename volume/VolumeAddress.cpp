// Which name the system is asked about the volume behind a volume path.
#include "volume/StorageVolEnum.h"

#include "collect/BufferText.h"
#include "platform/win32.h"

namespace strata_col {

namespace {

const DWORD kVolumeNameLength = MAX_PATH;

bool EndsWithBackslash(const std::string& path) { return !path.empty() && path.back() == '\\'; }

}  // namespace

bool IsDriveRoot(const std::string& path) {
    // A drive designator (C:, or letters and digits before the colon) and
    // its one backslash.
    return path.size() >= 3 && path.compare(path.size() - 2, 2, ":\\") == 0 &&
           path.find('\\') == path.size() - 1;
}

VolumeAddress StorageVolEnum::AddressOf(const std::string& volumePath) {
    VolumeAddress address;
    address.rootPath = volumePath;
    address.devicePath = DevicePathBeforeLastBackslash(volumePath);
    // Drive roots are asked as themselves; so is any path that is no folder.
    if (IsDriveRoot(volumePath) || !EndsWithBackslash(volumePath)) return address;

    char volumeName[kVolumeNameLength] = {};
    if (!GetVolumeNameForVolumeMountPointA(volumePath.c_str(), volumeName, kVolumeNameLength)) {
        const DWORD error = GetLastError();
        log->WriteLevel3("Unable to determine the volume mounted at " + volumePath + ".");
        log->WriteSystemError(error);
        return address;
    }
    // \\?\Volume{...}\ names the volume's root; without the backslash it
    // opens the volume as a device.
    address.rootPath = BufferText(volumeName, sizeof volumeName);
    address.devicePath = address.rootPath;
    if (EndsWithBackslash(address.devicePath)) address.devicePath.pop_back();
    address.throughVolumeName = true;
    return address;
}

std::string StorageVolEnum::LogicalDiskDevicePath(const std::string& logicalDiskId) {
    if (!IsDriveRoot(logicalDiskId) && EndsWithBackslash(logicalDiskId)) {
        return AddressOf(logicalDiskId).devicePath;
    }
    // A drive root, or an optical drive's "X:\ (CD-Rom) ": its last
    // character cut.
    const std::string volume =
        logicalDiskId.empty() ? logicalDiskId : logicalDiskId.substr(0, logicalDiskId.size() - 1);
    return kDevicePrefix + volume;
}

}  // namespace strata_col
