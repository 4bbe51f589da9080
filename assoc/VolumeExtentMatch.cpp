#include "assoc/VolumeExtentMatch.h"

#include "collect/DevicePaths.h"
#include "ldm/LDMDBParser.h"

namespace strata_col {

PartitionMatch MatchVolumeExtent(DriveHeaders& drives, const std::string& drivePath,
                                 const DiskExtent& extent, const DiskDatabaseMap& databases) {
    if (drivePath.empty()) return PartitionMatch();
    return MatchExtentOnDisk(drives.Of(drivePath), extent, databases);
}

PartitionMatch MatchExtentOnDisk(const DynamicDrive& drive, const DiskExtent& extent,
                                 const DiskDatabaseMap& databases) {
    PartitionMatch match;
    const ExtentPartitions found = PartitionsOfExtent(drive, extent, databases);
    // The associations take the first matching record in ObjectID order.
    if (found.partitions.empty()) return match;
    const DiskPartitionRef& first = found.partitions.begin()->ref;
    match.database = found.database;
    match.partitionId = first.objectId;
    match.partition = first.record;
    return match;
}

}  // namespace strata_col
