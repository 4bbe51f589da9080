#include "ldm/DynamicDeviceIds.h"

#include "ldm/DatabaseLookup.h"


namespace strata_col {

namespace {

const char kQualifierSeparator = '@';

// A database describes one disk group: its first group record names it.
struct GroupKey {
    std::string guid;  // normal form; empty when the record has none
    std::string name;
};

GroupKey KeyOf(const DiskDatabase& database, const std::string& diskGuid) {
    if (database.diskGroups.empty()) return GroupKey{std::string(), diskGuid};
    const RecordMap& group = database.diskGroups.begin()->second;
    return GroupKey{NormalizedGuid(RecordField(group, "DiskGroupID")), RecordField(group, "Name")};
}

// Groups are the same group when their GUIDs are, or, without GUIDs, their
// names.
std::string Identity(const GroupKey& key) { return key.guid.empty() ? "name:" + key.name : "guid:" + key.guid; }

}  // namespace

DynamicDeviceIds::DynamicDeviceIds(const DiskDatabaseMap& databases) {
    std::map<std::string, GroupKey> groups;  // by identity
    for (const auto& entry : databases) {
        const DiskDatabase* database = entry.second.get();
        if (database == nullptr || groupOf_.count(database)) continue;
        const GroupKey key = KeyOf(*database, entry.first);
        groups.emplace(Identity(key), key);
        groupOf_[database].identity = Identity(key);
    }
    if (groups.size() < 2) return;  // nothing can collide

    std::map<std::string, int> nameCount;
    for (const auto& group : groups) ++nameCount[group.second.name];
    const std::pair<RecordTable LDMDataBase::*, std::set<std::string>*> kinds[] = {
        {&LDMDataBase::volumes, &sharedVolumeIds_}, {&LDMDataBase::partitions, &sharedPartitionIds_}};
    for (const auto& kind : kinds) {
        std::map<std::string, std::string> firstGroup;  // ObjectID to the first group holding it
        for (auto& member : groupOf_) {
            for (const auto& record : member.first->*kind.first) {
                if (record.second.empty()) continue;
                const auto first = firstGroup.emplace(record.first, member.second.identity).first;
                if (first->second != member.second.identity) kind.second->insert(record.first);
            }
        }
    }
    for (auto& member : groupOf_) {
        const GroupKey& key = groups.at(member.second.identity);
        const bool nameIsUnique = !key.name.empty() && nameCount[key.name] == 1;
        member.second.qualifier = nameIsUnique || key.guid.empty() ? key.name : key.guid;
    }
}

const std::set<std::string>& DynamicDeviceIds::SharedIds(RecordTable LDMDataBase::*table) const {
    if (table == &LDMDataBase::volumes) return sharedVolumeIds_;
    if (table == &LDMDataBase::partitions) return sharedPartitionIds_;
    return sharedOtherIds_;
}

std::string DynamicDeviceIds::DeviceId(const DiskDatabase* database, RecordTable LDMDataBase::*table,
                                       const std::string& objectId) const {
    if (SharedIds(table).count(objectId) == 0) return objectId;
    const auto group = groupOf_.find(database);
    return group == groupOf_.end() ? objectId : objectId + kQualifierSeparator + group->second.qualifier;
}

RecordOwners::RecordOwners(const DiskDatabaseMap& databases, const DynamicDeviceIds& ids,
                           RecordTable LDMDataBase::*table) {
    std::set<const DiskDatabase*> seen;
    for (const auto& entry : databases) {
        const DiskDatabase* database = entry.second.get();
        if (database == nullptr || !seen.insert(database).second) continue;
        for (const auto& record : database->*table) {
            // The first database keeps the record; an empty one is no record.
            if (record.second.empty()) continue;
            owners_.emplace(ids.DeviceId(database, table, record.first),
                            OwnedRecord{database, &record.first, &record.second});
        }
    }
}

OwnedRecord RecordOwners::Find(const std::string& deviceId) const {
    const auto owner = owners_.find(deviceId);
    return owner == owners_.end() ? OwnedRecord() : owner->second;
}

}  // namespace strata_col
