// Reading decoded records in tests: a field as text or number, a record by
// its name, and the layout a volume's records imply.
#ifndef STRATA_TESTS_LDM_RECORDREADING_H
#define STRATA_TESTS_LDM_RECORDREADING_H

#include "collect/TextConversions.h"
#include "ldm/LDMDataBase.h"

#include <string>

namespace strata_test {

inline std::string RecordText(const strata_col::RecordMap& record, const std::string& key) {
    const auto it = record.find(key);
    return it == record.end() ? std::string() : it->second;
}

inline std::uint64_t RecordNumber(const strata_col::RecordMap& record, const std::string& key) {
    return strata_col::HexTextToNumber(RecordText(record, key));
}

// The record of the table named `name`, or null.
inline const strata_col::RecordMap* RecordNamed(const strata_col::RecordTable& table, const std::string& name) {
    for (const auto& entry : table) {
        if (RecordText(entry.second, "Name") == name) return &entry.second;
    }
    return nullptr;
}

// The layout name that a volume's component type and child counts imply, in
// the words ldmtool uses: simple, spanned, striped, mirrored, RAID5.
inline std::string ImpliedLayout(const strata_col::LDMDataBase& database,
                                 const strata_col::RecordMap& volume) {
    const std::string id = RecordText(volume, "ObjectID");
    for (const auto& component : database.components) {
        if (RecordText(component.second, "ParentID") != id) continue;
        const std::uint64_t type = RecordNumber(component.second, "ComponentType");
        const std::uint64_t parts = RecordNumber(component.second, "NumberOfChildren");
        if (RecordNumber(volume, "NumberOfChildren") >= 2) return "mirrored";
        if (type == 1) return "striped";
        if (type == 2) return parts >= 2 ? "spanned" : parts == 1 ? "simple" : "unknown";
        if (type == 3) return "RAID5";
        return "unknown";
    }
    return "no component";
}

}  // namespace strata_test

#endif
