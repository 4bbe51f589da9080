#include "assoc/VolumeExtentMatch.h"

#include "assoc/DatabaseLookup.h"
#include "ldm/LDMDBParser.h"

namespace strata_col {

PartitionMatch MatchVolumeExtent(const std::string& drivePath, const DiskExtent& extent,
                                 const DiskDatabaseMap& databases) {
    if (drivePath.empty()) return PartitionMatch();
    LDMDBParser parser;
    return MatchExtentOnDisk(parser.GetPrivateHeader(drivePath), extent, databases);
}

PartitionMatch MatchExtentOnDisk(const PrivateHeader& disk, const DiskExtent& extent,
                                 const DiskDatabaseMap& databases) {
    PartitionMatch match;
    if (disk.diskGuid.empty()) return match;
    DiskDatabaseMap::const_iterator database = databases.find(disk.diskGuid);
    if (database == databases.end()) return match;

    for (const DiskPartitionRef& partition : ListDiskPartitions(disk.diskGuid, database->second)) {
        if (ExtentMatchesPartition(extent, disk.logicalDiskStart,
                                   RecordField(*partition.record, "Start"),
                                   RecordField(*partition.record, "Size"))) {
            match.database = &database->second;
            match.partitionId = *partition.objectId;
            match.partition = *partition.record;
            return match;
        }
    }
    return match;
}

std::string VolumeDevicePath(const std::string& logicalDiskId) {
    const std::string volume =
        logicalDiskId.empty() ? logicalDiskId : logicalDiskId.substr(0, logicalDiskId.size() - 1);
    return "\\\\.\\" + volume;
}

}  // namespace strata_col
