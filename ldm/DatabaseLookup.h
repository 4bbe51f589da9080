// The words every builder uses for the dynamic-disk database's records:
// a field, a hex field, a record by ObjectID, the component and volume of a
// partition. Records refer to each other by ObjectID text: a partition's
// ParentID is its component, a component's ParentID is its volume, a
// partition's DiskID is its disk record. (The DeviceIDs records are reported
// under, and the record behind a DeviceID: ldm/DynamicDeviceIds.h.)
#ifndef STRATA_LDM_DATABASELOOKUP_H
#define STRATA_LDM_DATABASELOOKUP_H

#include "ldm/DiskDatabase.h"

#include <cstdint>
#include <string>

namespace strata_col {

// A component record's ComponentType: how its partitions make a plex.
namespace component_type {
const std::uint64_t kStriped = 1;
const std::uint64_t kConcatenated = 2;  // one partition (simple) or several (spanned)
const std::uint64_t kRaid5 = 3;
}  // namespace component_type

// The field's text; empty when the record lacks it.
std::string RecordField(const RecordMap& record, const std::string& key);

// A field of hex digits as a number; 0 when the record lacks it.
std::uint64_t HexField(const RecordMap& record, const std::string& key);

// The record filed under the ObjectID; null when absent or empty.
const RecordMap* FindRecord(const RecordTable& table, const std::string& objectId);

// The component record the partition belongs to; null when missing.
const RecordMap* ComponentOfPartition(const LDMDataBase& database, const RecordMap& partition);

// The volume record the component belongs to; null when missing.
const RecordMap* VolumeOfComponent(const LDMDataBase& database, const RecordMap& component);

// The ObjectID of the volume the partition belongs to (through its
// component); empty when the component is missing.
std::string VolumeIdOfPartition(const LDMDataBase& database, const RecordMap& partition);

}  // namespace strata_col

#endif
