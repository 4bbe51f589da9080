#include "volume/DiskExtent.h"

#include "collect/TextConversions.h"

#include <limits>

namespace strata_col {

namespace {

// What an extent that cannot lie in the data region counts as.
const std::int64_t kBeforeDataRegion = -1;

}  // namespace

std::string PhysicalDrivePath(std::uint32_t diskNumber) {
    return "\\\\.\\PHYSICALDRIVE" + ToDecimalText(diskNumber);
}

std::uint64_t DataRegionStart(std::uint64_t headerDataRegionStart) {
    return headerDataRegionStart == 0 ? kClassicDataRegionStart : headerDataRegionStart;
}

std::int64_t ExtentStartSector(const DiskExtent& extent, std::uint64_t headerDataRegionStart,
                               const DriveSectors& sectors) {
    // Origins whose bytes run past half the 64-bit range lie past any disk.
    std::uint64_t originBytes = 0;
    if (!sectors.ToBytes(DataRegionStart(headerDataRegionStart), originBytes) ||
        originBytes > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() / 2)) {
        return kBeforeDataRegion;
    }
    const std::int64_t origin = static_cast<std::int64_t>(originBytes);
    if (extent.startingOffset < std::numeric_limits<std::int64_t>::min() + origin) return kBeforeDataRegion;
    return sectors.SectorsIn(extent.startingOffset - origin);
}

std::int64_t ExtentSectorCount(const DiskExtent& extent, const DriveSectors& sectors) {
    return sectors.SectorsIn(extent.extentLength);
}

ExtentPartitions PartitionsOfExtent(const DynamicDrive& drive, const DiskExtent& extent,
                                    const DiskDatabaseMap& databases) {
    ExtentPartitions found;
    const PrivateHeader& disk = drive.header;
    if (disk.diskGuid.empty()) return found;
    const DiskDatabaseMap::const_iterator database = databases.find(disk.diskGuid);
    if (database == databases.end()) return found;
    found.database = database->second.get();
    const std::int64_t start = ExtentStartSector(extent, disk.logicalDiskStart, drive.sectors);
    const std::int64_t count = ExtentSectorCount(extent, drive.sectors);
    if (start < 0 || count < 0) return found;
    found.partitions = found.database->PartitionsAt(disk.diskGuid, static_cast<std::uint64_t>(start),
                                                    static_cast<std::uint64_t>(count));
    return found;
}

}  // namespace strata_col
