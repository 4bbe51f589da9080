#include "disk/PhysDiskInformation.h"
#include "ldm/DiskGroupInformation.h"

#include "tests/support/CapturedLog.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RecordValue.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using namespace strata_test;

namespace {

const std::string kGuidA = "6c7ca470-6934-4dfd-9269-c3102b9ae158";
const std::string kGuidB = "ce97d979-fabb-4e9b-b44c-7d9580ae1f53";
const std::string kGuidC = "47980158-abc7-46e3-a95f-7c00f8539073";

std::vector<PropertyMap> Collect(const std::string& className, DiskDatabaseMap& databases) {
    return PhysDiskInformation().Collect(className, databases);
}

}  // namespace

TEST(DriveRecords, BasicMbrAndGptDisks) {
    strata_sim::Machine machine;
    strata_sim::Device mbr = FixedDisk(0);
    mbr.layout = strata_sim::DriveLayout();
    mbr.layout->mbrSignature = 0xA1B2C3D4;
    mbr.layout->partitions = {LayoutEntry(1, 0x07), LayoutEntry(2, 0x05), LayoutEntry(0, 0x00)};
    strata_sim::Device gpt = FixedDisk(1);
    gpt.layout = strata_sim::DriveLayout();
    gpt.layout->style = PARTITION_STYLE_GPT;
    strata_sim::PartitionEntry data;
    data.number = 1;
    data.gptType = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
    gpt.layout->partitions = {data};
    machine.devices = {mbr, gpt};
    strata_sim::SetMachine(machine);

    DiskDatabaseMap databases;
    const std::vector<PropertyMap> drives = Collect("ORVA_DiskDrive", databases);
    ASSERT_EQ(2u, drives.size());
    const PropertyMap& disk0 = drives[0];
    EXPECT_EQ("Disk 0", Value(disk0, "Name"));
    EXPECT_EQ("12", Value(disk0, "MediaType"));
    EXPECT_EQ("1048576", Value(disk0, "Size"));
    EXPECT_EQ("2712847316", Value(disk0, "DriveSignature"));  // decimal, not hex
    EXPECT_EQ("2", Value(disk0, "NoOfPartitions"));           // the extended entry counts
    EXPECT_EQ(mbr.instanceId, Value(disk0, "DeviceID"));
    EXPECT_EQ(mbr.instanceId, Value(disk0, "ElementName"));
    EXPECT_EQ("1", Value(disk0, "DiskType"));
    EXPECT_EQ("1", Value(disk0, "DiskStatus"));
    EXPECT_EQ("<absent>", Value(drives[1], "DriveSignature"));
    EXPECT_EQ("1", Value(drives[1], "NoOfPartitions"));
}

// Disks A and B of group "Dg0" and disk C of "Other"; C: lies on disk 0.
class DynamicDrives : public ::testing::Test {
protected:
    void Install(const std::string& groupOfB, std::uint32_t systemDisk) {
        DatabaseBuilder dg0;
        dg0.Group("1", "Dg0").Disk("2", "Disk1", kGuidA).Disk("3", "Disk2", kGuidB);
        DatabaseBuilder dgB;
        dgB.Group("1", groupOfB).Disk("2", "Disk1", kGuidA).Disk("3", "Disk2", kGuidB);
        DatabaseBuilder other;
        other.Group("1", "Other").Disk("2", "Disk1", kGuidC);
        databases = {{kGuidA, dg0.Shared()}, {kGuidB, dgB.Shared()}, {kGuidC, other.Shared()}};

        strata_sim::Machine machine;
        machine.devices = {FixedDisk(0),
                           FixedDisk(1, WritePrivateHeaderImage(folder.path(), "a", kGuidA, "Dg0")),
                           FixedDisk(2, WritePrivateHeaderImage(folder.path(), "b", kGuidB, "Dg0")),
                           FixedDisk(3, WritePrivateHeaderImage(folder.path(), "c", kGuidC, "Other"))};
        strata_sim::Volume c = NtfsVolume(1, {"C:\\"});
        c.extents = {Extent(systemDisk, 32256, 4096)};
        machine.volumes = {c};
        strata_sim::SetMachine(machine);
    }

    std::vector<std::string> Statuses() {
        std::vector<std::string> statuses;
        for (const PropertyMap& drive : Collect("ORVA_DiskDrive", databases)) {
            statuses.push_back(Value(drive, "DiskType") + "/" + Value(drive, "DiskStatus"));
        }
        return statuses;
    }

    TempFolder folder;
    DiskDatabaseMap databases;
};

TEST_F(DynamicDrives, StatusFollowsTheSystemDisksGroup) {
    Install("Dg0", 0);  // system volume on the basic disk
    EXPECT_EQ(std::vector<std::string>({"1/1", "2/3", "2/3", "2/3"}), Statuses());

    Install("DG0", 1);  // on dynamic disk A; B names the group in other letter case
    EXPECT_EQ(std::vector<std::string>({"1/1", "2/1", "2/1", "2/3"}), Statuses());
}

TEST_F(DynamicDrives, DiskWithoutGroupRecordIsNotReported) {
    Install("Dg0", 0);
    LDMDataBase groupless = *databases[kGuidC];
    groupless.diskGroups.clear();
    databases[kGuidC] = Share(groupless);
    CapturedLog log;
    EXPECT_EQ(3u, Statuses().size());
    EXPECT_EQ(1, log.CountContaining("Disk found with no DiskGroup: "));
}

TEST(DriveRecords, OpticalTapeAndUnknownClasses) {
    strata_sim::Machine machine;
    strata_sim::Device cdrom;
    cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
    cdrom.instanceId = "IDE\\CDROMDRIVE\\0";
    cdrom.length = 1 << 20;
    cdrom.geometry.mediaType = RemovableMedia;
    strata_sim::Device tape;
    tape.interfaceClass = strata_sim::InterfaceClass::Tape;
    tape.instanceId = "SCSI\\SEQUENTIAL\\0";
    tape.length = 1 << 20;
    machine.devices = {cdrom, tape};
    // The optical drive must be asked with the CD-ROM geometry request; the
    // tape answers no layout request.
    machine.failures = {Fail("DeviceIoControl", cdrom.instanceId, ERROR_INVALID_FUNCTION,
                             IOCTL_DISK_GET_DRIVE_GEOMETRY)};
    strata_sim::SetMachine(machine);
    DiskDatabaseMap databases;

    for (const char* className : {"ORVA_CDROMDrive", "ORVA_DVDDrive"}) {
        const std::vector<PropertyMap> drives = Collect(className, databases);
        ASSERT_EQ(1u, drives.size()) << className;
        EXPECT_EQ(cdrom.instanceId, Value(drives[0], "DeviceID"));
        EXPECT_EQ("11", Value(drives[0], "MediaType"));
        EXPECT_EQ("<absent>", Value(drives[0], "DiskType"));
        EXPECT_EQ("<absent>", Value(drives[0], "DiskStatus"));
    }

    const std::vector<PropertyMap> tapes = Collect("ORVA_TapeDrive", databases);
    ASSERT_EQ(1u, tapes.size());
    EXPECT_EQ("Tape 0", Value(tapes[0], "Name"));
    EXPECT_EQ("<absent>", Value(tapes[0], "NoOfPartitions"));

    CapturedLog log;
    EXPECT_TRUE(Collect("ORVA_Unlisted", databases).empty());
    EXPECT_TRUE(Collect("ORVA_DynamicDiskGroup", databases).empty());
    EXPECT_TRUE(log.Has("Default drive type is Unknown Media - Disk", 4));
}

TEST(DiskGroups, OneRecordPerGroupNamedAsStored) {
    DatabaseBuilder red;
    red.Group("5", "Red-nzv8x6obywgDg0", "03c0c4fc-8b6f-402b-9431-4be2e5823b1c");
    DatabaseBuilder blue;
    blue.Group("5", "Blue").Group("6", "");
    const DiskDatabaseMap databases = {{kGuidA, red.Shared()}, {kGuidB, red.Shared()}, {kGuidC, blue.Shared()}};
    CapturedLog log;

    const std::vector<PropertyMap> groups = DiskGroupInformation().Collect(databases);
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ("Red-nzv8x6obywgDg0", Value(groups[1], "CollectionID"));
    EXPECT_EQ("Red-nzv8x6obywgDg0", Value(groups[1], "ElementName"));
    EXPECT_EQ("03c0c4fc-8b6f-402b-9431-4be2e5823b1c", Value(groups[1], "DiskGroupID"));
    EXPECT_EQ("Blue", Value(groups[0], "CollectionID"));
    EXPECT_EQ(1, log.CountContaining("without a name"));
}
