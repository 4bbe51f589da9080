// Where dynamic-disk partition starts count from: each disk's own data
// region, sector 63 when its private header gives none.
#include "volume/DiskExtent.h"

#include <gtest/gtest.h>

#include <limits>

using namespace strata_col;

namespace {

DiskExtent At(std::int64_t offset, std::int64_t length) {
    DiskExtent extent;
    extent.startingOffset = offset;
    extent.extentLength = length;
    return extent;
}

TEST(DataRegionOrigin, PartitionStartsCountFromTheHeadersDataRegion) {
    // Sector 0x10 of the data region, 0x40 sectors long, on disks whose data
    // region starts at 63 (header 0 or 63), at 1 MiB, and on a GPT disk.
    for (std::uint64_t header : {0ull, 63ull, 2048ull, 69632ull}) {
        const std::int64_t origin = static_cast<std::int64_t>(header == 0 ? 63 : header) * 512;
        const DiskExtent extent = At(origin + 0x10 * 512, 0x40 * 512);
        EXPECT_EQ(0x10, ExtentStartSector(extent, header)) << header;
        EXPECT_TRUE(ExtentMatchesPartition(extent, header, "0000000000000010", "40")) << header;
        EXPECT_FALSE(ExtentMatchesPartition(extent, header, "11", "40")) << header;
    }
    // The classic origin does not fit a 1 MiB-aligned disk.
    EXPECT_FALSE(ExtentMatchesPartition(At(2048 * 512, 512), 63, "0", "1"));
    EXPECT_TRUE(ExtentMatchesPartition(At(2048 * 512, 512), 2048, "0", "1"));
}

TEST(DataRegionOrigin, ExtentsBeforeTheDataRegionOrAbsurdHeadersMatchNothing) {
    EXPECT_FALSE(ExtentMatchesPartition(At(63 * 512, 512), 2048, "0", "1"));
    EXPECT_LT(ExtentStartSector(At(0, 512), 2048), 0);
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    EXPECT_LT(ExtentStartSector(At(lowest, 512), 63), 0);
    EXPECT_LT(ExtentStartSector(At(1 << 20, 512), largest), 0);
    EXPECT_LT(ExtentStartSector(At(lowest, 512), largest / 1024), 0);
    EXPECT_FALSE(ExtentMatchesPartition(At(1 << 20, 512), largest, "0", "1"));
}

}  // namespace
