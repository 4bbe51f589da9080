#include "volume/LogicalDiskInformation.h"
#include "volume/StorageVolEnum.h"

#include "tests/support/CapturedLog.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using namespace strata_test;
using Paths = std::vector<std::string>;

TEST(SplitAtChar, CutsAtEverySeparatorAndDropsTheUnterminatedTail) {
    const char drives[] = "A:\\\0C:\\\0";
    EXPECT_EQ(Paths({"A:\\", "C:\\"}), StorageVolEnum::SplitAtChar(drives, 8, '\0'));
    EXPECT_EQ(Paths({"a", "", "b"}), StorageVolEnum::SplitAtChar("a,,b,tail", 9, ','));
    EXPECT_TRUE(StorageVolEnum::SplitAtChar("abc", 0, ',').empty());
    EXPECT_TRUE(StorageVolEnum::SplitAtChar("abc", 3, ',').empty());
}

TEST(VolumePaths, RootsThenMountFoldersVolumeByVolume) {
    strata_sim::Machine machine;
    machine.volumes = {
        NtfsVolume(1, {"C:\\"}),
        NtfsVolume(2, {"E:\\"}, {"C:\\data\\"}),  // a drive root and a folder of C:
        NtfsVolume(3, {}),                         // neither
        NtfsVolume(4, {"F:\\", "G:\\"}),           // the first letter wins
    };
    strata_sim::SetMachine(machine);

    StorageVolEnum volumes;
    EXPECT_EQ(Paths({"C:\\", "C:\\data\\", "E:\\", "", "F:\\"}), volumes.EnumerateVolumePaths());

    // The empty path of the volume without a root gives no instance.
    LogicalDiskInformation information;
    DiskDatabaseMap databases;
    std::vector<std::string> devices;
    for (const PropertyMap& record : information.Collect(databases)) {
        devices.push_back(record.find("DeviceID")->second);
    }
    EXPECT_EQ(Paths({"C:\\", "C:\\data\\", "E:\\", "F:\\"}), devices);
}

TEST(VolumePaths, FoldersOfAVolumeWithoutRootAreRelative) {
    strata_sim::Machine machine;
    strata_sim::Volume host = NtfsVolume(1, {});
    strata_sim::Volume mounted = NtfsVolume(2, {}, {host.guidName + "mnt\\data\\"});
    machine.volumes = {host, mounted};
    strata_sim::SetMachine(machine);

    StorageVolEnum volumes;
    EXPECT_EQ(Paths({"", "mnt\\data\\", ""}), volumes.EnumerateVolumePaths());
}

TEST(VolumePaths, DriveStringsLongerThanTheFirstBufferAreAllRead) {
    strata_sim::Machine machine;
    // 24 letters and 30 longer roots: 96 + 210 characters of drive strings.
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        machine.volumes.push_back(NtfsVolume(letter, {std::string(1, letter) + ":\\"}));
    }
    for (unsigned i = 100; i < 130; ++i) {
        machine.volumes.push_back(NtfsVolume(i, {"Z" + std::to_string(i) + ":\\"}));
    }
    strata_sim::SetMachine(machine);

    StorageVolEnum volumes;
    const Paths roots = volumes.GetDriveRoots();
    ASSERT_EQ(54u, roots.size());
    EXPECT_EQ("C:\\", roots.front());
    EXPECT_EQ("Z129:\\", roots.back());
    EXPECT_EQ(54u, volumes.GetDriveLetterMap().size());
}

TEST(VolumePaths, FailingDriveStringsLeaveEveryVolumeWithoutRoot) {
    strata_sim::Machine machine;
    machine.volumes = {NtfsVolume(1, {"C:\\"})};
    machine.failures = {Fail("GetLogicalDriveStringsA", "", ERROR_ACCESS_DENIED)};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    StorageVolEnum volumes;
    EXPECT_EQ(Paths({""}), volumes.EnumerateVolumePaths());
    EXPECT_TRUE(log.Has("Unable to determine the drive letter associated with this volume.", 0));
}
