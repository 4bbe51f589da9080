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
        NtfsVolume(4, {"F:\\", "G:\\"}),           // the second letter comes last
    };
    strata_sim::SetMachine(machine);

    StorageVolEnum volumes;
    EXPECT_EQ(Paths({"C:\\", "C:\\data\\", "E:\\", "", "F:\\", "G:\\"}), volumes.EnumerateVolumePaths());

    // The empty path of the volume without a root gives no instance.
    LogicalDiskInformation information;
    DiskDatabaseMap databases;
    std::vector<std::string> devices;
    for (const PropertyMap& record : information.Collect(databases)) {
        devices.push_back(record.find("DeviceID")->second);
    }
    EXPECT_EQ(Paths({"C:\\", "C:\\data\\", "E:\\", "F:\\", "G:\\"}), devices);
}

// A folder on a volume without drive root is named by the full path Windows
// gives it (through the folder the volume is mounted in), or, when there is
// none, by the volume GUID path. A folder on ReFS is missed by the
// mount-point search and comes from the volume's own path names, last.
TEST(VolumePaths, FoldersOfVolumesWithoutRootAndOnReFSAreFullPaths) {
    strata_sim::Machine machine;
    strata_sim::Volume unmounted = NtfsVolume(1, {});
    strata_sim::Volume inUnmounted = NtfsVolume(2, {}, {unmounted.guidName + "mnt\\data\\"});
    strata_sim::Volume refs = NtfsVolume(3, {"C:\\"});
    refs.fileSystem = "ReFS";
    strata_sim::Volume onRefs = NtfsVolume(4, {}, {"C:\\mnt\\"});
    strata_sim::Volume inner = NtfsVolume(5, {}, {onRefs.guidName + "inner\\"});
    machine.volumes = {unmounted, inUnmounted, refs, onRefs, inner};
    strata_sim::SetMachine(machine);

    StorageVolEnum volumes;
    EXPECT_EQ(Paths({"", unmounted.guidName + "mnt\\data\\", "", "C:\\", "", "C:\\mnt\\inner\\", "", "C:\\mnt\\"}),
              volumes.EnumerateVolumePaths());
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

TEST(VolumePaths, FailingDriveStringsLeaveTheRootsToThePathNames) {
    strata_sim::Machine machine;
    machine.volumes = {NtfsVolume(1, {"C:\\"})};
    machine.failures = {Fail("GetLogicalDriveStringsA", "", ERROR_ACCESS_DENIED)};
    strata_sim::SetMachine(machine);
    CapturedLog log;

    // The volume's own path names still give its root.
    StorageVolEnum volumes;
    EXPECT_EQ(Paths({"", "C:\\"}), volumes.EnumerateVolumePaths());
    EXPECT_TRUE(log.Has("Unable to determine the drive letter associated with this volume.", 0));

    // Path names that want more room without saying how much are given up.
    machine.failures.push_back(Fail("GetVolumePathNamesForVolumeNameA", "", ERROR_MORE_DATA));
    strata_sim::SetMachine(machine);
    EXPECT_EQ(Paths({""}), StorageVolEnum().EnumerateVolumePaths());
}
