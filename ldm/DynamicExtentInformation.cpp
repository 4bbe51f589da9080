#include "ldm/DynamicExtentInformation.h"

#include "collect/TextConversions.h"

#include <set>
#include <string>

namespace strata_col {

namespace {
std::string Field(const RecordMap& record, const char* key) {
    RecordMap::const_iterator found = record.find(key);
    return found == record.end() ? std::string() : found->second;
}
}  // namespace

std::vector<PropertyMap> DynamicExtentInformation::Collect(const DiskDatabaseMap& databases) {
    std::vector<PropertyMap> records;
    // Every disk of a group carries the same volumes: report each once, from
    // the first disk that has it.
    std::set<std::string> reported;
    for (const auto& disk : databases) {
        for (const auto& volume : disk.second->volumes) {
            const std::string& objectId = volume.first;
            if (reported.count(objectId) != 0) continue;
            PropertyMap record;
            record.insert(std::make_pair("Access", "4"));
            record.insert(std::make_pair("Name", Field(volume.second, "Name")));
            record.insert(std::make_pair(
                "Size", ToDecimalText(static_cast<unsigned long long>(
                            HexTextToNumber(Field(volume.second, "Size"))))));
            record.insert(std::make_pair("PartitionType", Field(volume.second, "PartitionType")));
            record.insert(std::make_pair("DeviceID", objectId));
            record.insert(std::make_pair("ElementName", objectId));
            records.push_back(record);
            reported.insert(objectId);
        }
    }
    return records;
}

}  // namespace strata_col
