// Logical disks tied to the partitions they occupy and to the dynamic
// volumes they present.
#include "assoc/LogicalDiskBasedOnExtent.h"
#include "assoc/LogicalDiskBasedOnPartition.h"
#include "assoc/VolumeExtentMatch.h"
#include "tests/assoc/AssocHarness.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using assoc_test::AssocHarness;
using assoc_test::KeyPairs;
using assoc_test::Keys;
using strata_col::DiskDatabaseMap;
using strata_test::Share;
using strata_col::LogicalDiskBasedOnExtent;
using strata_col::LogicalDiskBasedOnPartition;
using strata_test::Extent;
using strata_test::Fail;
using strata_test::FixedDisk;
using assoc_test::RootVolume;

using assoc_test::kDataStart;
using assoc_test::kGuidA;
using assoc_test::kGuidB;
using assoc_test::kSector;

namespace {


// Disk 0: one basic partition holding C:.
strata_sim::Machine BasicMachine(std::uint32_t driveType, std::int32_t partitionNumber) {
    strata_sim::Machine machine;
    strata_sim::Device disk = FixedDisk(0);
    strata_sim::DriveLayout layout;
    layout.mbrSignature = 7;
    const strata_sim::PartitionEntry entry = strata_test::LayoutEntry(1, 0x07, 1 << 16, 1 << 18);
    layout.partitions.push_back(entry);
    disk.layout = layout;
    machine.devices.push_back(disk);
    strata_sim::Volume volume = RootVolume("C:\\");
    volume.driveType = driveType;
    volume.extents.push_back(Extent(0, entry.startingOffset, entry.length));
    volume.length.reset();
    volume.partitionNumber = partitionNumber;
    machine.volumes.push_back(volume);
    return machine;
}

// Volume v1 spans p1 (Disk1, sectors 16..79) and p2 (Disk2, sectors 0..63);
// p0 on Disk1 belongs to volume v0.
strata_col::LDMDataBase SpannedDatabase() {
    return strata_test::DatabaseBuilder()
        .Group("g1", "Grp")
        .Disk("d1", "Disk1", kGuidA)
        .Disk("d2", "Disk2", kGuidB)
        .Volume("v0", "Volume0", "01", "10")
        .Component("c0", "v0", "02", "01")
        .Partition("p0", "Disk1-01", "c0", "d1", "0", "10")
        .Volume("v1", "Volume1", "01", "80")
        .Component("c1", "v1", "02", "02")
        .Partition("p1", "Disk1-02", "c1", "d1", "10", "40")
        .Partition("p2", "Disk2-01", "c1", "d2", "0", "40")
        .Get();
}

}  // namespace

// The partition a volume lies on, or nothing, and the log line that says why.
TEST(PartitionDeviceID, NamesTheBasicPartitionByDriveAndNumber) {
    const struct {
        std::uint32_t driveType;
        std::int32_t partitionNumber;
        std::vector<strata_sim::Failure> failures;
        std::string id, logLine;
        int logLevel;
    } cases[] = {
        {DRIVE_FIXED, 1, {}, "Disk 0,Partition 1", "", 0},
        // Removable media without partition table: no partition at all.
        {DRIVE_REMOVABLE, -1, {}, "", "", 0},
        {DRIVE_REMOVABLE, 0, {}, "Disk 0,Partition 0", "", 0},
        // A fixed volume is taken as partition 0 of its drive.
        {DRIVE_FIXED, -1, {}, "Disk 0,Partition 0", "Unable to retrieve partition information.", 4},
        {DRIVE_FIXED, 1, {Fail("CreateFileA", "\\\\.\\C:", ERROR_ACCESS_DENIED)}, "",
         "Unable to determine the partition number for this volume.", 3},
        {DRIVE_FIXED, 1,
         {Fail("DeviceIoControl", "\\\\.\\C:", ERROR_INVALID_FUNCTION, IOCTL_STORAGE_GET_DEVICE_NUMBER)}, "",
         "IOCTL_STORAGE_GET_DEVICE_NUMBER failed.", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id + " " + c.logLine);
        AssocHarness harness;
        strata_sim::Machine machine = BasicMachine(c.driveType, c.partitionNumber);
        machine.failures = c.failures;
        strata_sim::SetMachine(machine);
        {
            LogicalDiskBasedOnPartition builder;
            EXPECT_EQ(builder.GetPartitionDeviceID("C:\\"), c.id);
        }
        if (!c.logLine.empty()) {
            EXPECT_TRUE(harness.log.Has(c.logLine, c.logLevel));
        }
        if (c.partitionNumber < 0 && c.id.empty()) {
            EXPECT_FALSE(harness.log.Has("Unable to retrieve partition information."));
        }
        EXPECT_EQ(strata_sim::OpenHandleCount(), 0);
    }
}

TEST(LogicalDiskBasedOnPartition, BasicVolumeGetsItsPartitionAndNoExtent) {
    AssocHarness harness;
    strata_sim::SetMachine(BasicMachine(DRIVE_FIXED, 1));
    harness.AddLogicalDisk("C:\\");
    harness.AddBasicPartition("Disk 0", 1, "7");
    harness.AddBasicPartition("Disk 0", 2, "7");
    harness.AddExtent("v1", "Volume1");

    {
        LogicalDiskBasedOnPartition builder;
        EXPECT_EQ(Keys(builder.Collect(DiskDatabaseMap(), harness.Namespace())),
                  (KeyPairs{{"Disk 0,Partition 1", "C:\\"}}));
        EXPECT_EQ(strata_sim::CurrentErrorMode(), static_cast<unsigned>(SEM_FAILCRITICALERRORS));
    }
    EXPECT_EQ(strata_sim::CurrentErrorMode(), 0u);
    EXPECT_TRUE(harness.log.Has("2 partitions were detected.", 4));
    EXPECT_TRUE(harness.log.Has("1 physical drives for the installed volumes", 4));

    LogicalDiskBasedOnExtent extents;
    EXPECT_TRUE(extents.Collect(harness.Namespace(), DiskDatabaseMap()).empty());
}

TEST(LogicalDiskBasedOnPartition, RemovableVolumeWithoutPartitionNumberIsLeftOut) {
    AssocHarness harness;
    strata_sim::SetMachine(BasicMachine(DRIVE_REMOVABLE, -1));
    harness.AddLogicalDisk("C:\\");
    harness.AddBasicPartition("Disk 0", 1, "7");
    harness.AddBasicPartition("Disk 0", 0, "7");
    LogicalDiskBasedOnPartition builder;
    EXPECT_TRUE(builder.Collect(DiskDatabaseMap(), harness.Namespace()).empty());
}

TEST(MatchVolumeExtent, ExtentMatchesTheRecordWithItsStartAndSize) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(harness.DynamicDisk(5, kGuidA));
    strata_sim::SetMachine(machine);
    const DiskDatabaseMap databases{{kGuidA, Share(SpannedDatabase())}};
    const std::string drive = "\\\\.\\PHYSICALDRIVE5";
    strata_col::DriveHeaders drives;

    strata_col::DiskExtent extent;
    extent.startingOffset = kDataStart + kSector * 0x10;
    extent.extentLength = kSector * 0x40;
    const strata_col::PartitionMatch match = strata_col::MatchVolumeExtent(drives, drive, extent, databases);
    ASSERT_TRUE(match.Found());
    EXPECT_EQ(*match.partitionId, "p1");
    EXPECT_EQ(match.database, databases.at(kGuidA).get());

    extent.startingOffset += kSector;  // one sector off
    EXPECT_FALSE(strata_col::MatchVolumeExtent(drives, drive, extent, databases).Found());
    extent.startingOffset = 0;  // before the data region
    extent.extentLength = kSector * 0x10;
    EXPECT_FALSE(strata_col::MatchVolumeExtent(drives, drive, extent, databases).Found());
    EXPECT_FALSE(strata_col::MatchVolumeExtent(drives, "", extent, databases).Found());
    // A disk whose GUID has no database matches nothing.
    extent.startingOffset = kDataStart + kSector * 0x10;
    extent.extentLength = kSector * 0x40;
    EXPECT_FALSE(strata_col::MatchVolumeExtent(drives, drive, extent, DiskDatabaseMap()).Found());
}

TEST(LogicalDiskBasedOnPartition, SpannedVolumeGetsEveryPartitionButOneExtent) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(harness.DynamicDisk(5, kGuidA));
    machine.devices.push_back(harness.DynamicDisk(6, kGuidB));
    strata_sim::Volume volume = RootVolume("E:\\");
    volume.extents = {Extent(5, kDataStart + kSector * 0x10, kSector * 0x40),
                      Extent(6, kDataStart, kSector * 0x40)};
    volume.length.reset();
    machine.volumes.push_back(volume);
    strata_sim::SetMachine(machine);
    harness.AddLogicalDisk("E:\\");
    harness.AddDynamicPartition("p0", "Disk1-01");
    harness.AddDynamicPartition("p1", "Disk1-02");
    harness.AddDynamicPartition("p2", "Disk2-01");
    harness.AddExtent("v0", "Volume0");
    harness.AddExtent("v1", "Volume1");
    const DiskDatabaseMap databases{{kGuidA, Share(SpannedDatabase())}, {kGuidB, Share(SpannedDatabase())}};

    LogicalDiskBasedOnPartition partitions;
    EXPECT_EQ(Keys(partitions.Collect(databases, harness.Namespace())),
              (KeyPairs{{"p1", "E:\\"}, {"p2", "E:\\"}}));
    LogicalDiskBasedOnExtent extents;
    EXPECT_EQ(Keys(extents.Collect(harness.Namespace(), databases)), (KeyPairs{{"v1", "E:\\"}}));
}
