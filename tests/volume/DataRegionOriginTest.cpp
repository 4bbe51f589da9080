// Where dynamic-disk partition starts count from: each disk's own data
// region, sector 63 when its private header gives none; and in which units:
// the drive's own sectors, 512 or 4096 bytes.
#include "volume/DiskExtent.h"

#include "tests/support/DatabaseBuilder.h"

#include <gtest/gtest.h>

#include <limits>

using namespace strata_col;

namespace {

const char kGuid[] = "d17c2c04-6afc-46c3-84b7-cdc2f3956c5c";

DiskExtent At(std::int64_t offset, std::int64_t length) {
    DiskExtent extent;
    extent.startingOffset = offset;
    extent.extentLength = length;
    return extent;
}

// True when the extent finds the one partition record, at sector 0x10 of
// the data region and 0x40 sectors long, on a disk whose private header
// gives this data-region start and whose sectors are this long.
bool Matches(const DiskExtent& extent, std::uint64_t headerDataRegionStart, std::uint32_t sectorBytes = 512) {
    strata_test::DatabaseBuilder group;
    group.Group("1", "Dg0").Disk("2", "Disk1", kGuid);
    group.Volume("3", "Volume1", "01", "40").Component("4", "3", "02", "01");
    group.Partition("5", "Disk1-01", "4", "2", "0000000000000010", "40");
    const DiskDatabaseMap databases{{kGuid, group.Shared()}};
    DynamicDrive disk;
    disk.header.diskGuid = kGuid;
    disk.header.logicalDiskStart = headerDataRegionStart;
    disk.sectors = DriveSectors(sectorBytes);
    return !PartitionsOfExtent(disk, extent, databases).partitions.empty();
}

TEST(DataRegionOrigin, PartitionStartsCountFromTheHeadersDataRegion) {
    // On disks whose data region starts at 63 (header 0 or 63), at 1 MiB,
    // and on a GPT disk; with 512-byte and with 4096-byte sectors, which
    // the header's start, the records and the extent's bytes all count.
    for (std::int64_t bytes : {512, 4096}) {
        const DriveSectors units(static_cast<std::uint32_t>(bytes));
        for (std::uint64_t header : {0ull, 63ull, 2048ull, 69632ull}) {
            const std::int64_t origin = static_cast<std::int64_t>(header == 0 ? 63 : header) * bytes;
            EXPECT_EQ(0x10, ExtentStartSector(At(origin + 0x10 * bytes, 0x40 * bytes), header, units)) << header;
            EXPECT_EQ(0x40, ExtentSectorCount(At(origin + 0x10 * bytes, 0x40 * bytes), units));
            EXPECT_TRUE(Matches(At(origin + 0x10 * bytes, 0x40 * bytes), header, bytes)) << header;
            EXPECT_FALSE(Matches(At(origin + 0x11 * bytes, 0x40 * bytes), header, bytes)) << header;
            EXPECT_FALSE(Matches(At(origin + 0x10 * bytes, 0x41 * bytes), header, bytes)) << header;
        }
    }
    // The classic origin does not fit a 1 MiB-aligned disk, and 512-byte
    // counts do not fit a 4096-byte disk.
    EXPECT_FALSE(Matches(At((63 + 0x10) * 512, 0x40 * 512), 2048));
    EXPECT_FALSE(Matches(At((2048 + 0x10) * 512, 0x40 * 512), 2048, 4096));
}

TEST(DataRegionOrigin, ExtentsBeforeTheDataRegionOrAbsurdHeadersMatchNothing) {
    const DriveSectors units;
    EXPECT_LT(ExtentStartSector(At(0, 512), 2048, units), 0);
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    EXPECT_LT(ExtentStartSector(At(lowest, 512), 63, units), 0);
    EXPECT_LT(ExtentStartSector(At(1 << 20, 512), largest, units), 0);
    EXPECT_LT(ExtentStartSector(At(lowest, 512), largest / 1024, units), 0);
    EXPECT_LT(ExtentStartSector(At(1 << 20, 512), largest / 8192, DriveSectors(4096)), 0);
    EXPECT_FALSE(Matches(At(1 << 20, 0x40 * 512), largest));
    // A drive whose sector size is unknown matches nothing.
    EXPECT_LT(ExtentStartSector(At(1 << 20, 512), 63, DriveSectors(0)), 0);
    EXPECT_FALSE(Matches(At((63 + 0x10) * 512, 0x40 * 512), 63, 0));
}

}  // namespace
