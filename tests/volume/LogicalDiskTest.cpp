#include "volume/StorageVolEnum.h"

#include "tests/support/CapturedLog.h"
#include "tests/support/RecordValue.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using namespace strata_test;

namespace {

PropertyMap Build(const std::string& path) {
    StorageVolEnum volumes;
    DiskDatabaseMap databases;
    return volumes.BuildLogicalDisk(path, databases);
}

}  // namespace

TEST(LogicalDisk, FixedVolumeOnABasicDisk) {
    strata_sim::Machine machine;
    machine.devices = {FixedDisk(0)};
    strata_sim::Volume c = NtfsVolume(1, {"C:\\"});
    c.extents = {Extent(0, 32256, 8192)};
    c.quotaState = DISKQUOTA_STATE_ENFORCE;
    machine.volumes = {c};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    // System and Windows directories on one volume: only the system marker.
    // TotalSpace is the volume's length, larger than the file system's total.
    EXPECT_EQ((PropertyMap{{"DriveType", "3"}, {"DeviceID", "C:\\"}, {"ElementName", "C:\\"},
                           {"OtherIdentifyingInfo", "Data (System),"}, {"FileSystemName", "NTFS"},
                           {"SerialNumber", "305419896"}, {"UserDiskFreeSpace", "1000"}, {"FreeSpace", "2000"},
                           {"UserDiskQuota", "4096"}, {"TotalSpace", "8192"}, {"DiskQuotaStatus", "2"},
                           {"VolumeLayout", "Unknown"}, {"VolumeState", "Unknown"}}),
              Build("C:\\"));
    EXPECT_TRUE(log.Has("Volume layout and state information for \\\\.\\C: not found", 3));
    EXPECT_EQ(0, strata_sim::ComBalance());
    EXPECT_EQ(0, strata_sim::LiveQuotaObjects());
    EXPECT_EQ(0, strata_sim::OpenHandleCount());

    // A quota object that cannot be made, initialized or read gives state 0.
    for (const char* call : {"CoCreateInstance", "IDiskQuotaControl::Initialize", "IDiskQuotaControl::GetQuotaState"}) {
        machine.failures = {Fail(call, "", ERROR_ACCESS_DENIED)};
        strata_sim::SetMachine(machine);
        EXPECT_EQ("0", Value(Build("C:\\"), "DiskQuotaStatus")) << call;
        EXPECT_EQ(0, strata_sim::LiveQuotaObjects()) << call;
    }
}

TEST(LogicalDisk, SystemAndBootMarkers) {
    strata_sim::Machine machine;
    machine.systemDirectory = "C:\\WINDOWS\\system32";
    machine.windowsDirectory = "D:\\WINDOWS";
    strata_sim::Volume c = NtfsVolume(1, {"C:\\"});
    c.label = "";
    strata_sim::Volume d = NtfsVolume(2, {"D:\\"});
    strata_sim::Volume e = NtfsVolume(3, {"E:\\"});
    e.label = "";
    machine.volumes = {c, d, e};
    strata_sim::SetMachine(machine);

    EXPECT_EQ(" (System),", Value(Build("C:\\"), "OtherIdentifyingInfo"));
    EXPECT_EQ("Data (Boot),", Value(Build("D:\\"), "OtherIdentifyingInfo"));
    EXPECT_EQ(" ,", Value(Build("E:\\"), "OtherIdentifyingInfo"));
}

TEST(LogicalDisk, OpticalDriveWithoutDisc) {
    strata_sim::Machine machine;
    strata_sim::Device cdrom;
    cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
    cdrom.instanceId = "IDE\\CDROM\\0";
    cdrom.mediaPresent = false;
    machine.devices = {cdrom};
    strata_sim::Volume d = NtfsVolume(1, {"D:\\"});
    d.driveType = DRIVE_CDROM;
    d.mediaPresent = false;
    machine.volumes = {d};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    // Nothing about file system, space or quota.
    EXPECT_EQ((PropertyMap{{"DriveType", "5"}, {"DeviceID", "D:\\ (CD-Rom) "}, {"ElementName", "D:\\"},
                           {"VolumeLayout", "Unknown"}, {"VolumeState", "Unknown"}}),
              Build("D:\\"));
    EXPECT_TRUE(log.Has("Unable to determine volume information.", 3));
}

// A mount folder reports the volume mounted there, asked through its volume
// GUID path; when the system cannot name that volume, the folder's own path
// is asked and the volume's length stays unknown.
TEST(LogicalDisk, MountFolderReportsTheVolumeMountedThere) {
    strata_sim::Machine machine;
    strata_sim::Volume mounted = NtfsVolume(2, {}, {"C:\\data\\"});
    mounted.label = "Mounted";
    mounted.freeBytes = 777;
    mounted.length = 99999;
    mounted.quotaState = DISKQUOTA_STATE_TRACK;
    machine.volumes = {NtfsVolume(1, {"C:\\"}), mounted};
    strata_sim::SetMachine(machine);
    PropertyMap record = Build("C:\\data\\");
    EXPECT_EQ("Mounted ,", Value(record, "OtherIdentifyingInfo"));
    EXPECT_EQ("777", Value(record, "UserDiskFreeSpace"));
    EXPECT_EQ("99999", Value(record, "TotalSpace"));
    EXPECT_EQ("1", Value(record, "DiskQuotaStatus"));

    machine.failures = {Fail("GetVolumeNameForVolumeMountPointA", "C:\\data\\", ERROR_ACCESS_DENIED)};
    strata_sim::SetMachine(machine);
    CapturedLog log;
    record = Build("C:\\data\\");
    EXPECT_EQ("777", Value(record, "UserDiskFreeSpace"));
    EXPECT_EQ("<absent>", Value(record, "DiskQuotaStatus"));
    EXPECT_EQ("<absent>", Value(record, "TotalSpace"));
    EXPECT_TRUE(log.Has("Unable to determine the volume mounted at C:\\data\\.", 3));
    EXPECT_TRUE(log.Has("Invalid handle, unable to determine the length of this volume.", 3));
}

TEST(LogicalDisk, TotalSpaceIsTheLargerOfLengthAndTotal) {
    strata_sim::Machine machine;
    strata_sim::Volume c = NtfsVolume(1, {"C:\\"});
    c.length = 1024;
    c.totalBytes = 4096;
    machine.volumes = {c};
    strata_sim::SetMachine(machine);
    EXPECT_EQ("4096", Value(Build("C:\\"), "TotalSpace"));

    // Without free space the total counts as 0 and the length is reported.
    machine.failures = {Fail("GetDiskFreeSpaceExA", "", ERROR_ACCESS_DENIED)};
    strata_sim::SetMachine(machine);
    const PropertyMap record = Build("C:\\");
    EXPECT_EQ("1024", Value(record, "TotalSpace"));
    EXPECT_EQ("<absent>", Value(record, "FreeSpace"));
}

TEST(DiskNamesForVolume, OneDiskByExtentsSeveralDisksByTheProbe) {
    strata_sim::Machine machine;
    machine.devices = {FixedDisk(0), FixedDisk(1)};
    strata_sim::Volume c = NtfsVolume(1, {"C:\\"});
    c.extents = {Extent(1, 32256, 4096)};
    strata_sim::Volume e = NtfsVolume(2, {"E:\\"});
    e.extents = {Extent(0, 32256, 4096), Extent(1, 65536, 4096)};
    machine.volumes = {c, e};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    StorageVolEnum volumes;
    EXPECT_EQ(std::vector<std::string>({"Disk 1"}), volumes.DiskNamesForVolume("C:\\"));
    EXPECT_TRUE(log.Has("Retrieved disk extent information.", 4));

    EXPECT_TRUE(volumes.DiskNamesForVolume("E:\\").empty());  // a spanning volume has no device number
    EXPECT_TRUE(log.Has("Unable to determine the disk extents for this volume.", 3));
    EXPECT_TRUE(log.Has("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS failed.", 3));
    EXPECT_EQ(0, strata_sim::OpenHandleCount());
}
