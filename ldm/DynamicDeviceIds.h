// The DeviceIDs of the dynamic-disk records the plug-in reports (volumes as
// ORVA_DynamicExtent, partitions as ORVA_DiskPartition), unique on the
// machine however many disk groups it holds.
//
// A record's DeviceID is its ObjectID ("0406"), as it has always been. Every
// disk group numbers its records from 0x401, though, so two groups on one
// machine (a group brought from another machine) reuse object IDs: an
// ObjectID that records of one kind in more than one group carry is
// qualified by the group in each of them, ObjectID, "@" and the group's name
// ("0406@SERVERDg0"), or its GUID (DiskGroupID) when two groups of the
// machine share a name. A database without a disk-group record is a group
// of its own, named by its disk's GUID. A machine with one group, and a
// group whose IDs no other uses, keeps plain object IDs; the names depend
// only on the disks, so they are the same from query to query.
#ifndef STRATA_LDM_DYNAMICDEVICEIDS_H
#define STRATA_LDM_DYNAMICDEVICEIDS_H

#include "ldm/DiskDatabase.h"

#include <map>
#include <set>
#include <string>
#include <unordered_map>

namespace strata_col {

class DynamicDeviceIds {
public:
    explicit DynamicDeviceIds(const DiskDatabaseMap& databases);

    // The DeviceID of the record `objectId` of one kind (`table`) of the
    // database's group.
    std::string DeviceId(const DiskDatabase* database, RecordTable LDMDataBase::*table,
                         const std::string& objectId) const;

private:
    struct Group {
        std::string identity;   // the same for every database of the group
        std::string qualifier;  // name or GUID
    };
    // Of one record kind, the ObjectIDs that records in several groups carry.
    const std::set<std::string>& SharedIds(RecordTable LDMDataBase::*table) const;

    std::unordered_map<const DiskDatabase*, Group> groupOf_;
    std::set<std::string> sharedVolumeIds_;
    std::set<std::string> sharedPartitionIds_;
    std::set<std::string> sharedOtherIds_;
};

// A record found by the DeviceID it is reported under.
struct OwnedRecord {
    const DiskDatabase* database = nullptr;  // null: no such record
    const std::string* objectId = nullptr;
    const RecordMap* record = nullptr;
};

// For each DeviceID of one record kind, the first database in disk-GUID order
// of the record's group that holds a record under its ObjectID. Built once
// per builder; disks of one group that share their database are looked into
// once.
class RecordOwners {
public:
    RecordOwners(const DiskDatabaseMap& databases, const DynamicDeviceIds& ids,
                 RecordTable LDMDataBase::*table);
    // Nothing when no database holds the record (a basic partition, say).
    OwnedRecord Find(const std::string& deviceId) const;

private:
    std::unordered_map<std::string, OwnedRecord> owners_;
};

}  // namespace strata_col

#endif
