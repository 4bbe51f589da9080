// One dynamic disk's decoded Logical Disk Manager database.
#ifndef STRATA_LDM_LDMDATABASE_H
#define STRATA_LDM_LDMDATABASE_H

#include <boost/container/flat_map.hpp>

#include <map>
#include <string>
#include <vector>

namespace strata_col {

// One decoded record: field name to text (numbers as lowercase hex digits of
// their stored bytes, texts as their characters), in key order. A sorted
// vector: a record has a dozen fields, and thousands of records are decoded
// per disk group, so one allocation per record beats one per field.
typedef boost::container::flat_map<std::string, std::string> RecordMap;
// ObjectID text to record.
typedef std::map<std::string, RecordMap> RecordTable;

struct LDMDataBase {
    LDMDataBase() = default;
    virtual ~LDMDataBase() {}
    // The virtual destructor would otherwise suppress the moves: a decoded
    // database (megabytes of text) is moved into place, never copied.
    LDMDataBase(const LDMDataBase&) = default;
    LDMDataBase(LDMDataBase&&) = default;
    LDMDataBase& operator=(const LDMDataBase&) = default;
    LDMDataBase& operator=(LDMDataBase&&) = default;

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

// A partition record that lies on a disk, as found in its database.
struct DiskPartitionRef {
    const std::string* objectId;
    const RecordMap* record;  // an empty record when the database lacks it
};

// The partition records the disk index names for a disk Name, in ObjectID
// order, without copying them; an empty record where the database lacks one.
// (DiskDatabase::PartitionsOfDisk finds them from a disk GUID.)
std::vector<DiskPartitionRef> ListPartitionsOfDiskName(const std::string& diskName,
                                                       const LDMDataBase& database);

// The GUID in its comparison form: hex digits only, lower case.
std::string NormalizedGuid(const std::string& guid);

}  // namespace strata_col

#endif
