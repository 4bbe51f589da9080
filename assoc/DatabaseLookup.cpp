#include "assoc/DatabaseLookup.h"

namespace strata_col {

std::string RecordField(const RecordMap& record, const std::string& key) {
    RecordMap::const_iterator field = record.find(key);
    return field == record.end() ? std::string() : field->second;
}

const RecordMap* FindRecord(const RecordTable& table, const std::string& objectId) {
    RecordTable::const_iterator found = table.find(objectId);
    return found == table.end() || found->second.empty() ? nullptr : &found->second;
}

const LDMDataBase* DatabaseHoldingPartition(const DiskDatabaseMap& databases,
                                            const std::string& partitionId) {
    for (const auto& entry : databases) {
        if (FindRecord(entry.second.partitions, partitionId)) return &entry.second;
    }
    return nullptr;
}

std::string VolumeIdOfPartition(const LDMDataBase& database, const RecordMap& partition) {
    const RecordMap* component = FindRecord(database.components, RecordField(partition, "ParentID"));
    return component ? RecordField(*component, "ParentID") : std::string();
}

}  // namespace strata_col
