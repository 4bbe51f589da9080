#include "ldm/DatabaseLookup.h"

#include "collect/TextConversions.h"

#include <set>

namespace strata_col {

std::string RecordField(const RecordMap& record, const std::string& key) {
    RecordMap::const_iterator field = record.find(key);
    return field == record.end() ? std::string() : field->second;
}

std::uint64_t HexField(const RecordMap& record, const std::string& key) {
    return HexTextToNumber(RecordField(record, key));
}

const RecordMap* FindRecord(const RecordTable& table, const std::string& objectId) {
    RecordTable::const_iterator found = table.find(objectId);
    return found == table.end() || found->second.empty() ? nullptr : &found->second;
}

const RecordMap* ComponentOfPartition(const LDMDataBase& database, const RecordMap& partition) {
    return FindRecord(database.components, RecordField(partition, "ParentID"));
}

const RecordMap* VolumeOfComponent(const LDMDataBase& database, const RecordMap& component) {
    return FindRecord(database.volumes, RecordField(component, "ParentID"));
}

RecordOwners::RecordOwners(const DiskDatabaseMap& databases, RecordTable LDMDataBase::*table) {
    std::set<const DiskDatabase*> seen;
    for (const auto& entry : databases) {
        const DiskDatabase* database = entry.second.get();
        if (!seen.insert(database).second) continue;
        for (const auto& record : database->*table) {
            // The first database keeps the record; an empty one is no record.
            if (!record.second.empty()) owners_.emplace(record.first, database);
        }
    }
}

const DiskDatabase* RecordOwners::Find(const std::string& objectId) const {
    const auto owner = owners_.find(objectId);
    return owner == owners_.end() ? nullptr : owner->second;
}

std::string VolumeIdOfPartition(const LDMDataBase& database, const RecordMap& partition) {
    const RecordMap* component = ComponentOfPartition(database, partition);
    return component ? RecordField(*component, "ParentID") : std::string();
}

}  // namespace strata_col
