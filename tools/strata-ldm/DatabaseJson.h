// The decoded databases as JSON: per disk GUID, the five record maps with
// every stored key and the two name indexes.
#ifndef STRATA_TOOLS_DATABASEJSON_H
#define STRATA_TOOLS_DATABASEJSON_H

#include "ldm/DiskDatabase.h"

#include <nlohmann/json_fwd.hpp>

namespace strata_tools {

nlohmann::ordered_json DatabaseToJson(const strata_col::LDMDataBase& database);
nlohmann::ordered_json DatabasesToJson(const strata_col::DiskDatabaseMap& databases);

// The JSON text, indented. Texts from disks need not be UTF-8: every byte
// that is not part of a valid UTF-8 sequence becomes U+FFFD, as in the host
// program's JSON report.
std::string JsonText(const nlohmann::ordered_json& json);

// JsonText(DatabasesToJson(databases)), with each database shared by
// several disks turned into text once.
std::string DatabasesJsonText(const strata_col::DiskDatabaseMap& databases);

}  // namespace strata_tools

#endif
