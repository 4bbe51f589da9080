// One dynamic disk's decoded Logical Disk Manager database.
#ifndef STRATA_LDM_LDMDATABASE_H
#define STRATA_LDM_LDMDATABASE_H

#include <map>
#include <string>
#include <vector>

namespace strata_col {

// One decoded record: field name to text (numbers as lowercase hex digits of
// their stored bytes, texts as their characters).
typedef std::map<std::string, std::string> RecordMap;
// ObjectID text to record.
typedef std::map<std::string, RecordMap> RecordTable;

struct LDMDataBase {
    virtual ~LDMDataBase() {}

    RecordTable volumes;
    RecordTable components;
    RecordTable partitions;
    RecordTable disks;
    RecordTable diskGroups;
    // Disk Name to disk GUID text (v3: its DiskID; v4: the 32 hex digits of
    // its first GUID).
    std::map<std::string, std::string> diskGuidByName;
    // Disk Name to the ObjectID of each partition that lies on that disk.
    std::multimap<std::string, std::string> partitionsByDiskName;
};

// Disk GUID text (from the disk's private header) to that disk's database.
typedef std::map<std::string, LDMDataBase> DiskDatabaseMap;

// A partition record that lies on a disk, as found in its database.
struct DiskPartitionRef {
    const std::string* objectId;
    const RecordMap* record;  // an empty record when the database lacks it
};

// The partition records that lie on the disk with this GUID, in ObjectID
// order, without copying them; the same lookup as GetDiskPartitions.
std::vector<DiskPartitionRef> ListDiskPartitions(const std::string& diskGuid,
                                                 const LDMDataBase& database);

// The partition records that lie on the disk with this GUID, keyed by
// partition ObjectID. GUIDs compare in one normal form: hex digits only,
// lower case, so a version-4 record is found from a dashed GUID text.
RecordTable GetDiskPartitions(const std::string& diskGuid, const LDMDataBase& database);

// The GUID in its comparison form: hex digits only, lower case.
std::string NormalizedGuid(const std::string& guid);

}  // namespace strata_col

#endif
