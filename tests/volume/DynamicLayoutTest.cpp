#include "volume/StorageVolEnum.h"

#include "assoc/VolumeExtentMatch.h"

#include "tests/support/CapturedLog.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RecordValue.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using namespace strata_test;

namespace {

const std::string kGuid0 = "d17c2c04-6afc-46c3-84b7-cdc2f3956c5c";
const std::string kGuid1 = "c85a6ce4-edb3-4dbc-a3b9-7fba4b6e6f75";
const std::int64_t kSector = 512;

std::int64_t Offset(std::int64_t startSector) { return (63 + startSector) * kSector; }

// Two dynamic disks of one group with a simple, a mirrored and a spanned
// volume, and a volume that starts before the data region.
class DynamicLayout : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseBuilder group;
        group.Group("1", "Dg0").Disk("2", "Disk1", kGuid0).Disk("3", "Disk2", kGuid1);
        group.Volume("10", "Volume1", "01", "0100", "ACTIVE").Component("11", "10", "02", "01");
        group.Partition("12", "Disk1-01", "11", "2", "0000000000000010", "0100");
        group.Volume("20", "Volume2", "02", "0200", "SYNCHRONIZING");
        group.Component("21", "20", "02", "01").Component("22", "20", "02", "01");
        group.Partition("23", "Disk1-02", "21", "2", "0000000000000200", "0200");
        group.Partition("24", "Disk2-01", "22", "3", "0000000000000000", "0200");
        // Ten partitions by its child count ("0a"); one of them is mounted.
        // Its size of 2^55 sectors passes 64 bits of bytes.
        group.Volume("30", "Volume3", "01", "0080000000000000").Component("31", "30", "02", "0a");
        group.Partition("32", "Disk2-02", "31", "3", "0000000000000400", "0100");
        // A start of -63 sectors stored as its two's complement.
        group.Volume("40", "Volume4", "01", "0001").Component("41", "40", "02", "01");
        group.Partition("42", "Disk1-03", "41", "2", "ffffffffffffffc1", "0001");
        databases[kGuid0] = group.Shared();
        databases[kGuid1] = databases[kGuid0];

        strata_sim::Machine machine;
        machine.devices = {FixedDisk(0, WritePrivateHeaderImage(folder.path(), "0.img", kGuid0, "Dg0")),
                           FixedDisk(1, WritePrivateHeaderImage(folder.path(), "1.img", kGuid1, "Dg0"))};
        strata_sim::Volume simple = NtfsVolume(1, {"E:\\"});
        simple.extents = {Extent(0, Offset(0x10), 0x100 * kSector)};
        strata_sim::Volume mirror = NtfsVolume(2, {"F:\\"}, {"E:\\data\\"});
        mirror.extents = {Extent(0, Offset(0x200), 0x200 * kSector), Extent(1, Offset(0), 0x200 * kSector)};
        strata_sim::Volume spanned = NtfsVolume(3, {"G:\\"});
        spanned.extents = {Extent(1, Offset(0x400), 0x100 * kSector)};
        strata_sim::Volume early = NtfsVolume(4, {"H:\\"});
        early.extents = {Extent(0, 0, kSector)};
        machine.volumes = {simple, mirror, spanned, early};
        strata_sim::SetMachine(machine);
    }

    PropertyMap Build(const std::string& path) {
        StorageVolEnum volumes;
        return volumes.BuildLogicalDisk(path, databases);
    }

    TempFolder folder;
    DiskDatabaseMap databases;
};

}  // namespace

TEST(LayoutName, EveryLayout) {
    EXPECT_EQ("Mirror", StorageVolEnum::LayoutName(1, 2, 1));
    EXPECT_EQ("Mirror", StorageVolEnum::LayoutName(3, 3, 4));
    EXPECT_EQ("Striped", StorageVolEnum::LayoutName(1, 1, 2));
    EXPECT_EQ("Spanned", StorageVolEnum::LayoutName(2, 1, 2));
    EXPECT_EQ("Simple", StorageVolEnum::LayoutName(2, 1, 1));
    EXPECT_EQ("RAID-5", StorageVolEnum::LayoutName(3, 1, 3));
    EXPECT_EQ("Unknown", StorageVolEnum::LayoutName(2, 1, 0));
    EXPECT_EQ("Unknown", StorageVolEnum::LayoutName(5, 1, 1));
}

TEST_F(DynamicLayout, DatabaseGivesLayoutStateAndTotalSpace) {
    const PropertyMap simple = Build("E:\\");
    EXPECT_EQ("Simple", Value(simple, "VolumeLayout"));
    EXPECT_EQ("ACTIVE", Value(simple, "VolumeState"));
    // The measured total goes in first; the database's size is set over it.
    ASSERT_EQ(2u, simple.count("TotalSpace"));
    EXPECT_EQ("8192", simple.find("TotalSpace")->second);
    EXPECT_EQ("131072", Value(simple, "TotalSpace"));

    const PropertyMap mirror = Build("F:\\");
    EXPECT_EQ("Mirror", Value(mirror, "VolumeLayout"));
    EXPECT_EQ("SYNCHRONIZING", Value(mirror, "VolumeState"));
    EXPECT_EQ("262144", Value(mirror, "TotalSpace"));

    CapturedLog log;
    const PropertyMap spanned = Build("G:\\");
    EXPECT_EQ("Spanned", Value(spanned, "VolumeLayout"));  // child count 0a is ten
    EXPECT_EQ(1u, spanned.count("TotalSpace"));  // the measured one only
    EXPECT_TRUE(log.Has("Volume record of \\\\.\\G:: its Size of 36028797018963968 sectors passes 64 bits of "
                        "bytes; TotalSpace left out.",
                        3));
    // A mount folder reports the volume mounted there, not the one holding it.
    EXPECT_EQ("Mirror", Value(Build("E:\\data\\"), "VolumeLayout"));
    EXPECT_EQ("262144", Value(Build("E:\\data\\"), "TotalSpace"));
}

// Several records at the extent's place (E:, sector 0x10, 0x100 sectors):
// layout and state take the last in ObjectID order that has its component
// and volume; the associations take the first, whatever it leads to.
TEST_F(DynamicLayout, RecordsAtOnePlaceFollowEachCallersTieRule) {
    DatabaseBuilder group;
    group.Group("1", "Dg0").Disk("2", "Disk1", kGuid0);
    group.Partition("a1", "Disk1-01", "none", "2", "10", "0100");
    group.Volume("b0", "Early", "01", "0100").Component("b1", "b0", "02", "01");
    group.Partition("b2", "Disk1-02", "b1", "2", "0000000000000010", "0100");
    group.Volume("c0", "Late", "01", "0100").Component("c1", "c0", "02", "01");
    group.Partition("c2", "Disk1-03", "c1", "2", "0010", "100");
    group.Partition("d2", "Disk1-04", "none", "2", "10", "0100");
    group.Volume("e0", "Larger", "01", "0101").Component("e1", "e0", "02", "01");
    group.Partition("e2", "Disk1-05", "e1", "2", "10", "0101");
    const DiskDatabaseMap shared{{kGuid0, group.Shared()}};

    StorageVolEnum volumes;
    EXPECT_EQ("Late", volumes.GetVolumeLayoutAndState("\\\\.\\E:", shared).at("Name"));
    const ExtentMap extents = volumes.GetDynamicVolumeExtents("\\\\.\\E:");
    ASSERT_EQ(1u, extents.size());
    DriveHeaders drives;
    const PartitionMatch first =
        MatchVolumeExtent(drives, extents.begin()->first, extents.begin()->second, shared);
    ASSERT_TRUE(first.Found());
    EXPECT_EQ("a1", *first.partitionId);
}

TEST_F(DynamicLayout, ExtentBeforeTheDataRegionMatchesNothing) {
    CapturedLog log;
    const PropertyMap early = Build("H:\\");
    EXPECT_EQ("Unknown", Value(early, "VolumeLayout"));
    EXPECT_EQ("Unknown", Value(early, "VolumeState"));
    EXPECT_EQ(1u, early.count("TotalSpace"));
    EXPECT_TRUE(log.Has("Volume layout and state information for \\\\.\\H: not found", 3));
}

TEST_F(DynamicLayout, ExtentsOneEntryPerDiskAfterTheRetry) {
    // Volume drivers answer a short buffer with either error.
    const strata_sim::Machine installed = strata_sim::CurrentMachine();
    for (std::uint32_t shortError : {ERROR_MORE_DATA, ERROR_INSUFFICIENT_BUFFER}) {
        strata_sim::Machine machine = installed;
        strata_sim::Volume spread = NtfsVolume(6, {"K:\\"});
        spread.extents = {Extent(1, Offset(8), 4 * kSector), Extent(0, Offset(16), 8 * kSector),
                          Extent(1, Offset(32), 2 * kSector)};
        spread.shortBufferError = shortError;
        machine.volumes.push_back(spread);
        strata_sim::SetMachine(machine);

        StorageVolEnum volumes;
        const ExtentMap extents = volumes.GetDynamicVolumeExtents("\\\\.\\K:");
        ASSERT_EQ(2u, extents.size()) << shortError;
        const DiskExtent& first = extents.at("\\\\.\\PHYSICALDRIVE1");
        EXPECT_EQ(1u, first.diskNumber);
        EXPECT_EQ(Offset(8), first.startingOffset);
        EXPECT_EQ(4 * kSector, first.extentLength);
        EXPECT_EQ(Offset(16), extents.at("\\\\.\\PHYSICALDRIVE0").startingOffset);
        EXPECT_EQ(0, strata_sim::OpenHandleCount());
    }
}

// 65,536 extents are read (one entry per disk remains); one more is not
// believed.
TEST_F(DynamicLayout, ExtentCountsUpToTheLimitAreRead) {
    const strata_sim::Machine installed = strata_sim::CurrentMachine();
    for (const std::uint32_t count : {65536u, 65537u}) {
        strata_sim::Machine machine = installed;
        strata_sim::Volume many = NtfsVolume(6, {"K:\\"});
        many.extents.assign(count, Extent(0, Offset(8), kSector));
        machine.volumes.push_back(many);
        strata_sim::SetMachine(machine);
        CapturedLog log;
        const ExtentMap extents = StorageVolEnum().GetDynamicVolumeExtents("\\\\.\\K:");
        EXPECT_EQ(count == 65536u ? 1u : 0u, extents.size()) << count;
        EXPECT_EQ(count == 65536u ? 0 : 1, log.CountContaining("disk extents; extents not read.")) << count;
    }
}

TEST_F(DynamicLayout, FailuresGiveNoExtentsAndALogLine) {
    strata_sim::Machine machine = strata_sim::CurrentMachine();
    machine.failures = {Fail("DeviceIoControl", "\\\\.\\E:", ERROR_INVALID_FUNCTION,
                             IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS)};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    StorageVolEnum volumes;
    EXPECT_TRUE(volumes.GetDynamicVolumeExtents("\\\\.\\E:").empty());
    EXPECT_TRUE(log.Has("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS failed in Dynamic volume extent.", 3));
    EXPECT_TRUE(volumes.GetDynamicVolumeExtents("\\\\.\\Q:").empty());
    EXPECT_TRUE(log.Has("Unable to create the file for the Dynamic volume extent.", 3));
    EXPECT_EQ("Unknown", Value(Build("E:\\"), "VolumeLayout"));
    EXPECT_EQ(0, strata_sim::OpenHandleCount());
}
