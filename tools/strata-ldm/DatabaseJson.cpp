#include "tools/strata-ldm/DatabaseJson.h"

#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

namespace strata_tools {

namespace {

using Json = nlohmann::ordered_json;

// Appends a member under a key the caller knows to be new. The ordered
// object's own insertion compares the key with every member before it, which
// makes an object of n members cost n squared; the keys here come from
// sorted maps, so each is new.
void AppendMember(Json& object, const std::string& key, Json&& value) {
    Json::object_t& members = object.get_ref<Json::object_t&>();
    static_cast<Json::object_t::Container&>(members).emplace_back(key, std::move(value));
}

Json TableToJson(const strata_col::RecordTable& table) {
    Json out = Json::object();
    for (const auto& entry : table) {
        Json record = Json::object();
        for (const auto& field : entry.second) AppendMember(record, field.first, Json(field.second));
        AppendMember(out, entry.first, std::move(record));
    }
    return out;
}

}  // namespace

Json DatabaseToJson(const strata_col::LDMDataBase& database) {
    Json out = Json::object();
    out["volumes"] = TableToJson(database.volumes);
    out["components"] = TableToJson(database.components);
    out["partitions"] = TableToJson(database.partitions);
    out["disks"] = TableToJson(database.disks);
    out["diskGroups"] = TableToJson(database.diskGroups);
    Json byName = Json::object();
    for (const auto& entry : database.diskGuidByName) AppendMember(byName, entry.first, Json(entry.second));
    out["diskGuidByName"] = std::move(byName);
    // One list per disk name; a name's partitions are neighbours in the index.
    Json partitions = Json::object();
    for (auto entry = database.partitionsByDiskName.begin(); entry != database.partitionsByDiskName.end();) {
        const std::string& name = entry->first;
        const auto end = database.partitionsByDiskName.upper_bound(name);
        Json list = Json::array();
        for (; entry != end; ++entry) list.push_back(entry->second);
        AppendMember(partitions, name, std::move(list));
    }
    out["partitionsByDiskName"] = std::move(partitions);
    return out;
}

Json DatabasesToJson(const strata_col::DiskDatabaseMap& databases) {
    Json out = Json::object();
    for (const auto& entry : databases) {
        out[entry.first] = DatabaseToJson(*entry.second);
    }
    return out;
}

std::string JsonText(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

std::string DatabasesJsonText(const strata_col::DiskDatabaseMap& databases) {
    if (databases.empty()) return JsonText(Json::object());
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
        text.append("  ").append(JsonText(Json(entry->first))).append(": ").append(value);
        text.append(std::next(entry) == databases.end() ? "\n" : ",\n");
    }
    text.append("}");
    return text;
}

}  // namespace strata_tools
