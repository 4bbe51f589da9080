#include "volume/StorageVolEnum.h"

#include "platform/win32.h"

namespace strata_col {

namespace {
const char kDevicePrefix[] = "\\\\.\\";
}  // namespace

StorageVolEnum::StorageVolEnum() : log(LogMessage::Instance()) {
    SetErrorMode(SEM_FAILCRITICALERRORS);
}

StorageVolEnum::~StorageVolEnum() { SetErrorMode(0); }

std::vector<PropertyMap> StorageVolEnum::CollectLogicalDisks(DiskDatabaseMap& databases) {
    std::vector<PropertyMap> records;
    for (const std::string& path : EnumerateVolumePaths()) {
        PropertyMap record = BuildLogicalDisk(path, databases);
        if (!record.empty()) records.push_back(record);
    }
    return records;
}

std::string DevicePathBeforeLastBackslash(const std::string& volumePath) {
    return kDevicePrefix + volumePath.substr(0, volumePath.rfind('\\'));
}

std::string DevicePathBeforeFirstBackslash(const std::string& volumePath) {
    return kDevicePrefix + volumePath.substr(0, volumePath.find('\\'));
}

}  // namespace strata_col
