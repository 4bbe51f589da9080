// Finding the dynamic-disk partition record that a volume's disk extent
// occupies.
#ifndef STRATA_ASSOC_VOLUMEEXTENTMATCH_H
#define STRATA_ASSOC_VOLUMEEXTENTMATCH_H

#include "ldm/DiskDatabase.h"
#include "ldm/DriveHeaders.h"
#include "volume/DiskExtent.h"

#include <string>

namespace strata_col {

// A partition record and the database it was found in.
struct PartitionMatch {
    const DiskDatabase* database = nullptr;  // null: no match
    const std::string* partitionId = nullptr;
    const RecordMap* partition = nullptr;

    bool Found() const { return database != nullptr; }
};

// The first partition record (in ObjectID order) of the drive's dynamic disk
// whose Start and Size are the extent's; no match for an empty drive path, a
// basic disk or a disk without database.
PartitionMatch MatchVolumeExtent(DriveHeaders& drives, const std::string& drivePath,
                                 const DiskExtent& extent, const DiskDatabaseMap& databases);

// The same for a drive whose private header is already read: its disk GUID
// picks the database, its data-region start is where partition starts count
// from, in its sectors.
PartitionMatch MatchExtentOnDisk(const DynamicDrive& drive, const DiskExtent& extent,
                                 const DiskDatabaseMap& databases);

}  // namespace strata_col

#endif
