// The disk extents of a volume, as the system reports them, and how an
// extent is turned into the sector numbers of the dynamic-disk database.
#ifndef STRATA_VOLUME_DISKEXTENT_H
#define STRATA_VOLUME_DISKEXTENT_H

#include <cstdint>
#include <map>
#include <string>

namespace strata_col {

// One extent of a volume: where on which physical disk it lies.
struct DiskExtent {
    std::uint32_t diskNumber = 0;
    std::int64_t startingOffset = 0;  // bytes from the start of the disk
    std::int64_t extentLength = 0;    // bytes
};

// Physical-drive path ("\\.\PHYSICALDRIVE" + disk number) to the first
// extent of the volume on that disk.
typedef std::map<std::string, DiskExtent> ExtentMap;

// "\\.\PHYSICALDRIVE" followed by the decimal disk number.
std::string PhysicalDrivePath(std::uint32_t diskNumber);

// Dynamic-disk partition starts count in 512-byte sectors from sector 63 of
// the disk, where the data region of an MBR dynamic disk begins. The start
// is negative for an extent that begins before the data region; quotients
// truncate toward zero.
const std::int64_t kDataRegionStartBytes = 63 * 512;
const std::int64_t kDynamicSectorBytes = 512;

std::int64_t ExtentStartSector(const DiskExtent& extent);
std::int64_t ExtentSectorCount(const DiskExtent& extent);

// True when the partition record's Start and Size (hex sector texts) are the
// extent's start sector and sector count.
bool ExtentMatchesPartition(const DiskExtent& extent, const std::string& startText,
                            const std::string& sizeText);

}  // namespace strata_col

#endif
