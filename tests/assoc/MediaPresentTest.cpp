// Drives paired with the logical disks and partitions they hold.
#include "assoc/DiskInfoAssociator.h"
#include "assoc/MediaPresent.h"
#include "tests/assoc/AssocHarness.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using assoc_test::AssocHarness;
using assoc_test::DiskInstanceId;
using assoc_test::KeyPairs;
using assoc_test::Keys;
using strata_col::DiskDatabaseMap;
using strata_test::Share;
using strata_col::InstanceIndex;
using strata_col::MediaPresent;
using strata_test::Extent;
using strata_test::FixedDisk;
using assoc_test::RootVolume;

using assoc_test::kDataStart;
using assoc_test::kGuidA;
using assoc_test::kGuidB;
using assoc_test::kSector;

namespace {


std::vector<std::string> KeysOf(const InstanceIndex& index) {
    std::vector<std::string> keys;
    for (const auto& entry : index) keys.push_back(entry.first);
    return keys;
}

strata_sim::Volume VolumeOn(const std::string& root, std::vector<unsigned> disks) {
    strata_sim::Volume volume = RootVolume(root);
    for (unsigned disk : disks) volume.extents.push_back(Extent(disk, kDataStart, 512 * 100));
    volume.length.reset();
    return volume;
}

// One group database naming disk A (Disk1) and disk B (Disk2), with one
// partition on each.
strata_col::LDMDataBase TwoDiskDatabase() {
    return strata_test::DatabaseBuilder()
        .Group("g1", "Grp")
        .Disk("d1", "Disk1", kGuidA)
        .Disk("d2", "Disk2", kGuidB)
        .Volume("v1", "Volume1", "01", "80")
        .Component("c1", "v1", "02", "02")
        .Partition("p1", "Disk1-01", "c1", "d1", "0", "40")
        .Partition("p2", "Disk2-01", "c1", "d2", "0", "40")
        .Get();
}

}  // namespace

TEST(MediaPresent, BasicDiskHoldsItsVolume) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0));
    machine.volumes.push_back(VolumeOn("C:\\", {0}));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(0, "305419896");
    harness.AddLogicalDisk("C:\\");

    MediaPresent pairing;
    EXPECT_EQ(KeysOf(pairing.IndexDrives(harness.Namespace())), std::vector<std::string>{"Disk 0"});
    EXPECT_EQ(KeysOf(pairing.IndexLogicalDisks(harness.Namespace())),
              std::vector<std::string>{"Disk 0"});

    telva_host::CoreLogger::Instance().Clear();
    EXPECT_EQ(Keys(pairing.PairMediaPresent(harness.Namespace(), DiskDatabaseMap())),
              (KeyPairs{{DiskInstanceId(0), "C:\\"}}));
    EXPECT_TRUE(harness.log.Has("1 physical drives were detected.", 4));
    EXPECT_TRUE(harness.log.Has("1 physical drives for the installed volumes", 4));
}

TEST(MediaPresent, VolumeOverTwoDynamicDisksPairsWithBoth) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(harness.DynamicDisk(1, kGuidA));
    machine.devices.push_back(harness.DynamicDisk(2, kGuidB));
    machine.volumes.push_back(VolumeOn("E:\\", {1, 2}));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(1, "1");
    harness.AddDiskDrive(2, "2");
    harness.AddLogicalDisk("E:\\");

    MediaPresent pairing;
    const InstanceIndex logicalDisks = pairing.IndexLogicalDisks(harness.Namespace());
    EXPECT_EQ(logicalDisks.count(kGuidA), 1u);
    EXPECT_EQ(logicalDisks.count(kGuidB), 1u);
    EXPECT_EQ(KeysOf(pairing.IndexDrives(harness.Namespace())),
              (std::vector<std::string>{kGuidA, kGuidB}));

    DiskDatabaseMap databases{{kGuidA, Share(TwoDiskDatabase())}, {kGuidB, Share(TwoDiskDatabase())}};
    EXPECT_EQ(Keys(pairing.PairMediaPresent(harness.Namespace(), databases)),
              (KeyPairs{{DiskInstanceId(1), "E:\\"}, {DiskInstanceId(2), "E:\\"}}));
}

TEST(MediaPresent, DiskOneNeverClaimsWhatDiskTenHolds) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0));
    machine.devices.push_back(FixedDisk(1));
    machine.devices.push_back(FixedDisk(10));
    machine.volumes.push_back(VolumeOn("F:\\", {1}));
    machine.volumes.push_back(VolumeOn("G:\\", {10}));
    machine.volumes.push_back(VolumeOn("H:\\", {0}));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(1, "1");
    harness.AddDiskDrive(10, "10");
    harness.AddLogicalDisk("F:\\");
    harness.AddLogicalDisk("G:\\");
    harness.AddLogicalDisk("H:\\");  // its drive, Disk 0, has no instance
    harness.AddBasicPartition("Disk 1", 1, "1");
    harness.AddBasicPartition("Disk 1", 2, "1");
    harness.AddBasicPartition("Disk 10", 1, "10");

    const DiskDatabaseMap noDatabases;
    strata_col::DiskInfoAssociator associator(noDatabases);
    EXPECT_EQ(Keys(associator.MediaPresentAssociations(harness.Namespace())),
              (KeyPairs{{DiskInstanceId(1), "F:\\"}, {DiskInstanceId(10), "G:\\"}}));
    EXPECT_EQ(Keys(associator.PartitionPresentAssociations(harness.Namespace())),
              (KeyPairs{{DiskInstanceId(1), "Disk 1,Partition 1"},
                        {DiskInstanceId(1), "Disk 1,Partition 2"},
                        {DiskInstanceId(10), "Disk 10,Partition 1"}}));
}

// No disk drive at all: nothing is paired, and the counts say so.
TEST(MediaPresent, OpticalAndTapeDrivesAreNeverPaired) {
    AssocHarness harness;
    strata_sim::Machine machine;
    strata_sim::Device cdrom;
    cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
    cdrom.instanceId = "IDE\\CDROM\\0";
    cdrom.length = 1 << 20;
    strata_sim::Device tape;
    tape.interfaceClass = strata_sim::InterfaceClass::Tape;
    tape.instanceId = "SCSI\\TAPE\\0";
    tape.length = 1 << 20;
    machine.devices = {cdrom, tape};
    strata_sim::Volume disc = RootVolume("D:\\");
    disc.driveType = DRIVE_CDROM;
    machine.volumes.push_back(disc);
    strata_sim::SetMachine(machine);
    harness.Add("ORVA_CDROMDrive", {{"DeviceID", "IDE\\CDROM\\0"}, {"Name", "CD-ROM 0"}});
    harness.Add("ORVA_DVDDrive", {{"DeviceID", "IDE\\CDROM\\0"}, {"Name", "DVD-ROM 0"}});
    harness.Add("ORVA_TapeDrive", {{"DeviceID", "SCSI\\TAPE\\0"}, {"Name", "Tape 0"}});
    harness.AddLogicalDisk("D:\\ (CD-Rom) ");
    harness.AddBasicPartition("CD-ROM 0", 0, "0");

    const DiskDatabaseMap noDatabases;
    strata_col::DiskInfoAssociator associator(noDatabases);
    EXPECT_TRUE(associator.MediaPresentAssociations(harness.Namespace()).empty());
    EXPECT_TRUE(associator.PartitionPresentAssociations(harness.Namespace()).empty());
    EXPECT_TRUE(harness.log.Has("0 physical drives were detected.", 4));
    EXPECT_TRUE(harness.log.Has("0 physical drives for the installed volumes", 4));
}

TEST(PartitionPresent, DynamicDriveGetsTheDatabasePartitionsOnIt) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(harness.DynamicDisk(3, kGuidA));
    machine.devices.push_back(harness.DynamicDisk(4, kGuidB));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(3, "42");
    harness.AddDiskDrive(4);  // a GPT disk has no signature
    harness.AddDynamicPartition("p1", "Disk1-01");
    harness.AddDynamicPartition("p2", "Disk2-01");
    DiskDatabaseMap databases{{kGuidA, Share(TwoDiskDatabase())}, {kGuidB, Share(TwoDiskDatabase())}};

    MediaPresent pairing;
    EXPECT_EQ(Keys(pairing.PairPartitionPresent(harness.Namespace(), databases)),
              (KeyPairs{{DiskInstanceId(3), "p1"}}));
    EXPECT_TRUE(harness.log.Has("CIM value is null, not assigning value to string.", 3));
    EXPECT_EQ(harness.log.CountContaining("CIM value is null"), 1);

    const InstanceIndex dynamicPartitions = pairing.IndexDynamicPartitions(harness.Namespace(), databases);
    EXPECT_EQ(KeysOf(dynamicPartitions), (std::vector<std::string>{kGuidA, kGuidB}));
    EXPECT_TRUE(pairing.IndexPartitionsBySignature(harness.Namespace()).empty());
}

TEST(PartitionPresent, VersionFourDiskRecordFindsTheDriveByItsHeaderGuid) {
    AssocHarness harness;
    strata_sim::Machine machine;
    machine.devices.push_back(harness.DynamicDisk(3, kGuidA));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(3, "42");
    harness.AddDynamicPartition("p1", "Disk1-01");
    strata_col::LDMDataBase database = TwoDiskDatabase();
    // A version-4 disk record holds both of its GUIDs as bare hex digits.
    database.disks["d1"]["DiskID"] =
        "AAAAAAAA111141118111AAAAAAAAAAAA,0123456789abcdef0123456789abcdef";

    MediaPresent pairing;
    EXPECT_EQ(Keys(pairing.PairPartitionPresent(harness.Namespace(), {{kGuidA, Share(database)}})),
              (KeyPairs{{DiskInstanceId(3), "p1"}}));
}
