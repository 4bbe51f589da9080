#include "tools/strata-ldm/DatabaseJson.h"

#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

namespace strata_tools {

namespace {
nlohmann::ordered_json TableToJson(const strata_col::RecordTable& table) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (const auto& entry : table) {
        nlohmann::ordered_json record = nlohmann::ordered_json::object();
        for (const auto& field : entry.second) {
            record[field.first] = field.second;
        }
        out[entry.first] = record;
    }
    return out;
}
}  // namespace

nlohmann::ordered_json DatabaseToJson(const strata_col::LDMDataBase& database) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["volumes"] = TableToJson(database.volumes);
    out["components"] = TableToJson(database.components);
    out["partitions"] = TableToJson(database.partitions);
    out["disks"] = TableToJson(database.disks);
    out["diskGroups"] = TableToJson(database.diskGroups);
    nlohmann::ordered_json byName = nlohmann::ordered_json::object();
    for (const auto& entry : database.diskGuidByName) {
        byName[entry.first] = entry.second;
    }
    out["diskGuidByName"] = byName;
    nlohmann::ordered_json partitions = nlohmann::ordered_json::object();
    for (const auto& entry : database.partitionsByDiskName) {
        if (!partitions.contains(entry.first)) {
            partitions[entry.first] = nlohmann::ordered_json::array();
        }
        partitions[entry.first].push_back(entry.second);
    }
    out["partitionsByDiskName"] = partitions;
    return out;
}

nlohmann::ordered_json DatabasesToJson(const strata_col::DiskDatabaseMap& databases) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (const auto& entry : databases) {
        out[entry.first] = DatabaseToJson(*entry.second);
    }
    return out;
}

std::string JsonText(const nlohmann::ordered_json& json) {
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string DatabasesJsonText(const strata_col::DiskDatabaseMap& databases) {
    if (databases.empty()) return JsonText(nlohmann::ordered_json::object());
    // A member's value is its own indented text with every line after the
    // first moved in by one level, as the serializer nests it.
    std::map<const strata_col::DiskDatabase*, std::string> nested;
    std::string text = "{\n";
    for (auto entry = databases.begin(); entry != databases.end(); ++entry) {
        std::string& value = nested[entry->second.get()];
        if (value.empty()) {
            const std::string own = JsonText(DatabaseToJson(*entry->second));
            value.reserve(own.size() + own.size() / 8);
            for (const char c : own) {
                value.push_back(c);
                if (c == '\n') value.append("  ");
            }
        }
        text.append("  ").append(JsonText(nlohmann::ordered_json(entry->first))).append(": ").append(value);
        text.append(std::next(entry) == databases.end() ? "\n" : ",\n");
    }
    text.append("}");
    return text;
}

}  // namespace strata_tools
