#include "volume/DiskExtent.h"

#include "collect/TextConversions.h"

namespace strata_col {

std::string PhysicalDrivePath(std::uint32_t diskNumber) {
    return "\\\\.\\PHYSICALDRIVE" + ToDecimalText(diskNumber);
}

std::int64_t ExtentStartSector(const DiskExtent& extent) {
    return (extent.startingOffset - kDataRegionStartBytes) / kDynamicSectorBytes;
}

std::int64_t ExtentSectorCount(const DiskExtent& extent) {
    return extent.extentLength / kDynamicSectorBytes;
}

bool ExtentMatchesPartition(const DiskExtent& extent, const std::string& startText,
                            const std::string& sizeText) {
    const std::int64_t start = ExtentStartSector(extent);
    const std::int64_t count = ExtentSectorCount(extent);
    if (start < 0 || count < 0) return false;
    return HexTextToNumber(startText) == static_cast<std::uint64_t>(start) &&
           HexTextToNumber(sizeText) == static_cast<std::uint64_t>(count);
}

}  // namespace strata_col
