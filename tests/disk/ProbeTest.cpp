// Drive probes: number, media types, name, geometry, layout.
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/LDMDBParser.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using strata_test::CapturedLog;
using strata_test::FixedDisk;
using strata_test::LayoutEntry;

namespace {

// Installs a machine and opens its drives for one probe at a time.
class DriveProbes : public ::testing::Test {
protected:
    void TearDown() override {
        if (drive_ != INVALID_HANDLE_VALUE) CloseHandle(drive_);
    }
    void Install(const strata_sim::Machine& machine) {
        strata_sim::SetMachine(machine);
        installed_ = strata_sim::CurrentMachine();
    }
    // The device's path on the installed machine.
    std::string PathOf(std::size_t device) const { return installed_.devices.at(device).devicePath; }
    // Opens the device, closing the one opened before.
    HANDLE Open(std::size_t device) {
        if (drive_ != INVALID_HANDLE_VALUE) CloseHandle(drive_);
        drive_ = enumerator.OpenDevice(PathOf(device));
        return drive_;
    }

    PhysDiskEnum enumerator;

private:
    strata_sim::Machine installed_;
    HANDLE drive_ = INVALID_HANDLE_VALUE;
};

std::string Value(const PropertyMap& map, const std::string& name) {
    auto found = map.find(name);
    return found == map.end() ? std::string("<absent>") : found->second;
}

TEST_F(DriveProbes, NameFromDeviceTypeAndNumber) {
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(3));
    Install(machine);
    const HANDLE drive = Open(0);
    CapturedLog log;
    EXPECT_EQ("Disk 3", Value(enumerator.GetDriveName(drive), "Name"));
    EXPECT_TRUE(log.Has("Retrieved physical drive number information...", 4));
    EXPECT_TRUE(log.Has("Device Type is 7", 3));
    EXPECT_TRUE(log.Has("media count is 1", 3));
}

TEST_F(DriveProbes, FailingMediaTypesFallBackToTheDefaultType) {
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(2));
    machine.failures.push_back(strata_test::Fail("DeviceIoControl", "", ERROR_NOT_SUPPORTED,
                                                 IOCTL_STORAGE_GET_MEDIA_TYPES_EX));
    Install(machine);
    const HANDLE drive = Open(0);
    CapturedLog log;
    EXPECT_EQ("Disk 2", Value(enumerator.GetDriveName(drive), "Name"));
    EXPECT_EQ(std::vector<std::string>({"50", "IOCTL_STORAGE_GET_MEDIA_TYPES_EX failed.",
                                        "Unable to determine device type or media type.",
                                        "Unable to determine disk media information. Skipping disk..."}),
              log.Texts(3));
}

TEST_F(DriveProbes, FailingDeviceNumberGivesNoName) {
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0));
    machine.failures.push_back(strata_test::Fail("DeviceIoControl", "", ERROR_INVALID_FUNCTION,
                                                 IOCTL_STORAGE_GET_DEVICE_NUMBER));
    Install(machine);
    const HANDLE drive = Open(0);
    CapturedLog log;
    EXPECT_TRUE(enumerator.GetDriveName(drive).empty());
    EXPECT_TRUE(log.Has("IOCTL_STORAGE_GET_DEVICE_NUMBER failed.", 3));
    EXPECT_TRUE(log.Has("Unable to determine the physical drive number.", 3));
    EXPECT_TRUE(log.Has("Invalid device detected at Disk -1", 4));

    CapturedLog invalid;
    EXPECT_EQ(-1, enumerator.GetDeviceNumber(INVALID_HANDLE_VALUE));
    EXPECT_TRUE(enumerator.GetMediaTypes(INVALID_HANDLE_VALUE).empty());
    EXPECT_TRUE(invalid.Has("Invalid handle value. Unable to get media information.", 3));
}

TEST_F(DriveProbes, TapeMediaTypeComesFromTheTapeBranch) {
    strata_sim::Machine machine;
    strata_sim::Device tape;
    tape.interfaceClass = strata_sim::InterfaceClass::Tape;
    tape.instanceId = "SCSI\\SEQUENTIAL&VEN_LTO\\1";
    tape.deviceNumber = 0;
    tape.mediaTypes = std::vector<std::uint32_t>({LTO_Ultrium});
    tape.length = 0;
    machine.devices.push_back(tape);
    Install(machine);
    const HANDLE drive = Open(0);
    MediaTypeMap media = enumerator.GetMediaTypes(drive);
    ASSERT_EQ(1u, media.size());
    EXPECT_EQ(static_cast<std::uint32_t>(FILE_DEVICE_TAPE), media.begin()->first);
    EXPECT_EQ(static_cast<std::uint32_t>(LTO_Ultrium), media.begin()->second);
    EXPECT_EQ("Tape 0", Value(enumerator.GetDriveName(drive), "Name"));
}

TEST_F(DriveProbes, GeometryNeedsBothGeometryAndLength) {
    strata_sim::Machine machine;
    for (std::uint32_t n = 0; n < 4; ++n) machine.devices.push_back(FixedDisk(n));
    machine.devices[0].geometry.mediaType = 0xFFFFFFFF;  // outside MEDIA_TYPE
    const auto fail = [&](std::size_t disk, DWORD error, DWORD code) {
        machine.failures.push_back(
            strata_test::Fail("DeviceIoControl", machine.devices[disk].instanceId, error, code));
    };
    fail(1, ERROR_NOT_READY, IOCTL_DISK_GET_DRIVE_GEOMETRY);
    fail(2, ERROR_NOT_READY, IOCTL_DISK_GET_LENGTH_INFO);
    fail(3, ERROR_INVALID_FUNCTION, IOCTL_DISK_GET_DRIVE_GEOMETRY);
    fail(3, ERROR_GEN_FAILURE, IOCTL_DISK_GET_LENGTH_INFO);
    Install(machine);
    const PropertyMap geometry = enumerator.GetDiskGeometry(Open(0));
    EXPECT_EQ("4294967295", Value(geometry, "MediaType"));
    EXPECT_EQ("1048576", Value(geometry, "Size"));
    // The failure's line, then the text of the error left after both requests.
    const std::vector<std::string> lines[] = {
        {"Unable to retrieve disk geometry information", "The device is not ready.\r\n"},
        {"Unable to determine the length of this volume.", "The device is not ready.\r\n"},
        {"Unable to retrieve disk geometry information",
         "A device attached to the system is not functioning.\r\n"}};
    for (std::size_t disk = 1; disk < 4; ++disk) {
        const HANDLE drive = Open(disk);
        CapturedLog log;
        EXPECT_TRUE(enumerator.GetDiskGeometry(drive).empty());
        EXPECT_EQ(lines[disk - 1], (std::vector<std::string>{log.Texts(3).at(0), log.Texts(4).at(0)}))
            << disk;
    }
}

// MBR: every typed entry counts, the extended ones too, and the signature is
// given even when 0. GPT: every typed entry counts, and there is no signature.
TEST_F(DriveProbes, LayoutCountsTypedEntries) {
    strata_sim::DriveLayout mbr;
    mbr.style = PARTITION_STYLE_MBR;
    mbr.mbrSignature = 0;
    mbr.partitions = {LayoutEntry(1, 0x07), LayoutEntry(0, 0x0F), LayoutEntry(0, 0x00),
                      LayoutEntry(0, 0x00), LayoutEntry(2, 0x07), LayoutEntry(0, 0x05)};
    const GUID msr = {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};
    const GUID data = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
    strata_sim::DriveLayout layout;
    layout.style = PARTITION_STYLE_GPT;
    strata_sim::PartitionEntry reserved, basic, unused;
    reserved.gptType = msr;
    reserved.number = 1;
    basic.gptType = data;
    basic.number = 2;
    layout.partitions = {reserved, basic, unused};
    strata_sim::Machine machine;
    machine.devices = {FixedDisk(0), FixedDisk(1)};
    machine.devices[0].layout = mbr;
    machine.devices[1].layout = layout;
    Install(machine);
    const PropertyMap mbrAnswer = enumerator.GetDriveLayout(Open(0), PathOf(0));
    EXPECT_EQ("0", Value(mbrAnswer, "DriveSignature"));
    EXPECT_EQ("4", Value(mbrAnswer, "NoOfPartitions"));
    const PropertyMap gptAnswer = enumerator.GetDriveLayout(Open(1), PathOf(1));
    EXPECT_EQ("<absent>", Value(gptAnswer, "DriveSignature"));
    EXPECT_EQ("2", Value(gptAnswer, "NoOfPartitions"));
}

TEST_F(DriveProbes, FailingLayoutIsLogged) {
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0));
    machine.failures.push_back(strata_test::Fail("DeviceIoControl", "", ERROR_NOT_READY,
                                                 IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    Install(machine);
    const HANDLE drive = Open(0);
    CapturedLog log;
    EXPECT_TRUE(enumerator.GetDriveLayout(drive, PathOf(0)).empty());
    EXPECT_TRUE(log.Has("Unable to retrieve partition information.", 3));
}

// A fixed dynamic disk reports its database's partition count; a removable
// one keeps the system's layout count (its one container partition).
TEST_F(DriveProbes, DynamicDiskCountsItsDatabasePartitions) {
    STRATA_REQUIRE_FIXTURES();
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0, strata_test::FixtureImage("ldm-2003r2-striped-1.img")));
    strata_sim::Device removable = FixedDisk(1, strata_test::FixtureImage("ldm-2003r2-striped-1.img"));
    removable.geometry.mediaType = RemovableMedia;
    machine.devices.push_back(removable);
    Install(machine);

    LDMDBParser parser;
    const std::string guid = parser.GetDiskGuid(PathOf(0));
    ASSERT_EQ("6c7ca470-6934-4dfd-9269-c3102b9ae158", guid);
    // No database installed yet: the layout's one container partition.
    EXPECT_EQ("1", Value(enumerator.GetDriveLayout(Open(0), PathOf(0)), "NoOfPartitions"));
    DiskDatabaseMap databases = parser.ReadDatabases(DeviceMap{{"striped-1", PathOf(0)}});
    ASSERT_EQ(1u, databases.count(guid));
    enumerator.database = databases[guid];
    EXPECT_EQ("2", Value(enumerator.GetDriveLayout(Open(0), PathOf(0)), "NoOfPartitions"));
    EXPECT_EQ("1", Value(enumerator.GetDriveLayout(Open(1), PathOf(1)), "NoOfPartitions"));
}

// A reply with no media entries names the drive from the class being served.
TEST_F(DriveProbes, OpticalDriveWithoutMediaEntriesIsNamedFromItsClass) {
    strata_sim::Machine machine;
    strata_sim::Device optical;
    optical.interfaceClass = strata_sim::InterfaceClass::CdRom;
    optical.instanceId = "IDE\\CDROM&VEN_LAB\\1";
    optical.deviceNumber = 1;
    optical.mediaTypes = std::vector<std::uint32_t>();
    optical.mediaPresent = false;
    machine.devices.push_back(optical);
    Install(machine);

    CapturedLog log;
    DiskDatabaseMap databases;
    std::vector<PropertyMap> drives = enumerator.CollectDrives(kCdromInterface, databases);
    ASSERT_EQ(1u, drives.size());
    EXPECT_EQ("CD-ROM 1", Value(drives[0], "Name"));
    EXPECT_EQ("IDE\\CDROM&VEN_LAB\\1", Value(drives[0], "DeviceID"));
    EXPECT_EQ("<absent>", Value(drives[0], "DiskType"));
    EXPECT_TRUE(log.Has("Unable to determine disk media information. Skipping disk...", 3));
    EXPECT_TRUE(log.Has("Default drive type is CD-ROM", 4));
}

}  // namespace
