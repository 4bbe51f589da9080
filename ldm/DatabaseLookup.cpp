#include "ldm/DatabaseLookup.h"

#include "collect/TextConversions.h"


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

std::string VolumeIdOfPartition(const LDMDataBase& database, const RecordMap& partition) {
    const RecordMap* component = ComponentOfPartition(database, partition);
    return component ? RecordField(*component, "ParentID") : std::string();
}

}  // namespace strata_col
