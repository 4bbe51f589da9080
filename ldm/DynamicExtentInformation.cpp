#include "ldm/DynamicExtentInformation.h"

#include "collect/TextConversions.h"
#include "ldm/DatabaseLookup.h"
#include "ldm/DynamicDeviceIds.h"

#include <set>
#include <string>

namespace strata_col {

std::vector<PropertyMap> DynamicExtentInformation::Collect(const DiskDatabaseMap& databases) {
    std::vector<PropertyMap> records;
    // Every disk of a group carries the same volumes: report each once, from
    // the first disk that has it. Groups reuse object IDs; the DeviceID tells
    // their volumes apart.
    const DynamicDeviceIds ids(databases);
    std::set<std::string> reported;
    for (const auto& disk : databases) {
        for (const auto& volume : disk.second->volumes) {
            const std::string deviceId = ids.DeviceId(disk.second.get(), &LDMDataBase::volumes, volume.first);
            if (reported.count(deviceId) != 0) continue;
            PropertyMap record;
            record.insert(std::make_pair("Access", "4"));
            record.insert(std::make_pair("Name", RecordField(volume.second, "Name")));
            record.insert(std::make_pair(
                "Size", ToDecimalText(static_cast<unsigned long long>(HexField(volume.second, "Size")))));
            record.insert(std::make_pair("PartitionType", RecordField(volume.second, "PartitionType")));
            record.insert(std::make_pair("DeviceID", deviceId));
            record.insert(std::make_pair("ElementName", deviceId));
            records.push_back(record);
            reported.insert(deviceId);
        }
    }
    return records;
}

}  // namespace strata_col
