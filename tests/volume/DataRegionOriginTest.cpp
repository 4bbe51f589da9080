// Where dynamic-disk partition starts count from: each disk's own data
// region, sector 63 when its private header gives none.
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
// gives this data-region start.
bool Matches(const DiskExtent& extent, std::uint64_t headerDataRegionStart) {
    strata_test::DatabaseBuilder group;
    group.Group("1", "Dg0").Disk("2", "Disk1", kGuid);
    group.Volume("3", "Volume1", "01", "40").Component("4", "3", "02", "01");
    group.Partition("5", "Disk1-01", "4", "2", "0000000000000010", "40");
    const DiskDatabaseMap databases{{kGuid, group.Shared()}};
    PrivateHeader disk;
    disk.diskGuid = kGuid;
    disk.logicalDiskStart = headerDataRegionStart;
    return !PartitionsOfExtent(disk, extent, databases).partitions.empty();
}

TEST(DataRegionOrigin, PartitionStartsCountFromTheHeadersDataRegion) {
    // On disks whose data region starts at 63 (header 0 or 63), at 1 MiB,
    // and on a GPT disk.
    for (std::uint64_t header : {0ull, 63ull, 2048ull, 69632ull}) {
        const std::int64_t origin = static_cast<std::int64_t>(header == 0 ? 63 : header) * 512;
        EXPECT_EQ(0x10, ExtentStartSector(At(origin + 0x10 * 512, 0x40 * 512), header)) << header;
        EXPECT_TRUE(Matches(At(origin + 0x10 * 512, 0x40 * 512), header)) << header;
        EXPECT_FALSE(Matches(At(origin + 0x11 * 512, 0x40 * 512), header)) << header;
        EXPECT_FALSE(Matches(At(origin + 0x10 * 512, 0x41 * 512), header)) << header;
    }
    // The classic origin does not fit a 1 MiB-aligned disk.
    EXPECT_FALSE(Matches(At((63 + 0x10) * 512, 0x40 * 512), 2048));
}

TEST(DataRegionOrigin, ExtentsBeforeTheDataRegionOrAbsurdHeadersMatchNothing) {
    EXPECT_LT(ExtentStartSector(At(0, 512), 2048), 0);
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    EXPECT_LT(ExtentStartSector(At(lowest, 512), 63), 0);
    EXPECT_LT(ExtentStartSector(At(1 << 20, 512), largest), 0);
    EXPECT_LT(ExtentStartSector(At(lowest, 512), largest / 1024), 0);
    EXPECT_FALSE(Matches(At(1 << 20, 0x40 * 512), largest));
}

}  // namespace
