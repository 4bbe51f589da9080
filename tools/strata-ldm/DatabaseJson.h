// The decoded databases as JSON: per disk GUID, the five record maps with
// every stored key and the two name indexes.
#ifndef STRATA_TOOLS_DATABASEJSON_H
#define STRATA_TOOLS_DATABASEJSON_H

#include "ldm/DiskDatabase.h"

#include <nlohmann/json.hpp>

namespace strata_tools {

nlohmann::ordered_json DatabaseToJson(const strata_col::LDMDataBase& database);
nlohmann::ordered_json DatabasesToJson(const strata_col::DiskDatabaseMap& databases);

}  // namespace strata_tools

#endif
