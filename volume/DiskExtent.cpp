#include "volume/DiskExtent.h"

#include "collect/TextConversions.h"

#include <limits>

namespace strata_col {

namespace {

// Origins beyond this lie past any disk; keeping below it keeps the byte
// arithmetic inside 64 bits.
const std::uint64_t kLargestOrigin =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() / kDynamicSectorBytes / 2);
// What an extent that cannot lie in the data region counts as.
const std::int64_t kBeforeDataRegion = -1;

}  // namespace

std::string PhysicalDrivePath(std::uint32_t diskNumber) {
    return "\\\\.\\PHYSICALDRIVE" + ToDecimalText(diskNumber);
}

std::uint64_t DataRegionStart(std::uint64_t headerDataRegionStart) {
    return headerDataRegionStart == 0 ? kClassicDataRegionStart : headerDataRegionStart;
}

std::int64_t ExtentStartSector(const DiskExtent& extent, std::uint64_t headerDataRegionStart) {
    const std::uint64_t origin = DataRegionStart(headerDataRegionStart);
    if (origin > kLargestOrigin) return kBeforeDataRegion;
    const std::int64_t originBytes = static_cast<std::int64_t>(origin) * kDynamicSectorBytes;
    if (extent.startingOffset < std::numeric_limits<std::int64_t>::min() + originBytes) {
        return kBeforeDataRegion;
    }
    return (extent.startingOffset - originBytes) / kDynamicSectorBytes;
}

std::int64_t ExtentSectorCount(const DiskExtent& extent) {
    return extent.extentLength / kDynamicSectorBytes;
}

ExtentPartitions PartitionsOfExtent(const PrivateHeader& disk, const DiskExtent& extent,
                                    const DiskDatabaseMap& databases) {
    ExtentPartitions found;
    if (disk.diskGuid.empty()) return found;
    const DiskDatabaseMap::const_iterator database = databases.find(disk.diskGuid);
    if (database == databases.end()) return found;
    found.database = database->second.get();
    const std::int64_t start = ExtentStartSector(extent, disk.logicalDiskStart);
    const std::int64_t count = ExtentSectorCount(extent);
    if (start < 0 || count < 0) return found;
    found.partitions = found.database->PartitionsAt(disk.diskGuid, static_cast<std::uint64_t>(start),
                                                    static_cast<std::uint64_t>(count));
    return found;
}

}  // namespace strata_col
