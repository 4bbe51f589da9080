// Device paths of volumes: the "\\.\" prefix that opens a drive letter or a
// volume name as a device.
#ifndef STRATA_COLLECT_DEVICEPATHS_H
#define STRATA_COLLECT_DEVICEPATHS_H

#include <string>

namespace strata_col {

const char kDevicePrefix[] = "\\\\.\\";

// "\\.\" + the path up to its last backslash (the whole path if it has none):
// C:\ gives \\.\C: ; a mount-folder path names the folder.
inline std::string DevicePathBeforeLastBackslash(const std::string& volumePath) {
    return kDevicePrefix + volumePath.substr(0, volumePath.rfind('\\'));
}

}  // namespace strata_col

#endif
