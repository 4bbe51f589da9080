// Lookups in the dynamic-disk databases shared by the association builders.
// Records refer to each other by ObjectID text: a partition's ParentID is its
// component, a component's ParentID is its volume, a partition's DiskID is
// its disk record.
#ifndef STRATA_ASSOC_DATABASELOOKUP_H
#define STRATA_ASSOC_DATABASELOOKUP_H

#include "ldm/LDMDataBase.h"

#include <string>

namespace strata_col {

// The field's text; empty when the record lacks it.
std::string RecordField(const RecordMap& record, const std::string& key);

// The record filed under the ObjectID; null when absent or empty.
const RecordMap* FindRecord(const RecordTable& table, const std::string& objectId);

// The first database, in disk-GUID order, that holds the partition record;
// null when no database does (a basic partition).
const LDMDataBase* DatabaseHoldingPartition(const DiskDatabaseMap& databases,
                                            const std::string& partitionId);

// The ObjectID of the volume the partition belongs to (through its
// component); empty when the component is missing.
std::string VolumeIdOfPartition(const LDMDataBase& database, const RecordMap& partition);

}  // namespace strata_col

#endif
