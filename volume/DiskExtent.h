// The disk extents of a volume, as the system reports them, and how an
// extent is turned into the sector numbers of the dynamic-disk database.
#ifndef STRATA_VOLUME_DISKEXTENT_H
#define STRATA_VOLUME_DISKEXTENT_H

#include "ldm/DiskDatabase.h"
#include "ldm/DriveSectors.h"
#include "ldm/LDMDBParser.h"

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

// Dynamic-disk partition starts count in the drive's sectors (DriveSectors)
// from the start of the disk's data region. Its private header says where
// that is; a header that gives 0 leaves the classic origin, sector 63, where
// the data region of an MBR dynamic disk written before Windows Vista begins.
const std::uint64_t kClassicDataRegionStart = 63;

// The data region's first sector: the header's value, or 63 for 0.
std::uint64_t DataRegionStart(std::uint64_t headerDataRegionStart);

// The extent's first sector counted from the data region (`headerDataRegionStart`
// as the private header gives it), in the drive's sectors. Negative for an
// extent that begins before the data region or on a drive of unknown sector
// size; quotients truncate toward zero.
std::int64_t ExtentStartSector(const DiskExtent& extent, std::uint64_t headerDataRegionStart,
                               const DriveSectors& sectors);
std::int64_t ExtentSectorCount(const DiskExtent& extent, const DriveSectors& sectors);

// The partition records a volume's disk extent occupies.
struct ExtentPartitions {
    const DiskDatabase* database = nullptr;  // null: no database for the disk
    PlacedPartitions partitions;             // in ObjectID order
};

// The partition records of the disk's database whose Start and Size are the
// extent's start sector and sector count, counted from the disk's data
// region; nothing for a basic disk (no GUID) or a disk without a database.
// The one matching routine of layout, state and associations: each caller
// applies its own rule when several records match.
ExtentPartitions PartitionsOfExtent(const DynamicDrive& drive, const DiskExtent& extent,
                                    const DiskDatabaseMap& databases);

}  // namespace strata_col

#endif
