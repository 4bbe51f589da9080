#include "volume/StorageVolEnum.h"

#include "platform/win32.h"

namespace strata_col {

StorageVolEnum::StorageVolEnum() : log(LogMessage::Instance()) {}

std::vector<PropertyMap> StorageVolEnum::CollectLogicalDisks(DiskDatabaseMap& databases) {
    std::vector<PropertyMap> records;
    for (const std::string& path : EnumerateVolumePaths()) {
        PropertyMap record = BuildLogicalDisk(path, databases);
        if (!record.empty()) records.push_back(record);
    }
    return records;
}

}  // namespace strata_col
