// Drives and dynamic volumes placed in the disk groups the host holds.
#include "assoc/DiskInGroup.h"
#include "assoc/ExtentInGroup.h"
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
using strata_test::FixedDisk;

namespace {

const std::string kGroup = "Red-Grp0";

// Disks 1 and 2 are dynamic disks of kGroup, disk 0 is basic, and an
// optical drive stands beside them.
strata_sim::Machine GroupMachine(AssocHarness& harness) {
    strata_sim::Machine machine;
    machine.devices.push_back(FixedDisk(0));
    for (unsigned number : {1u, 2u}) {
        strata_sim::Device disk =
            FixedDisk(number, harness.DynamicImage("guid-" + std::to_string(number), kGroup));
        disk.length = 1 << 20;
        machine.devices.push_back(disk);
    }
    strata_sim::Device cdrom;
    cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
    cdrom.instanceId = "IDE\\CDROM\\0";
    cdrom.length = 1 << 20;
    machine.devices.push_back(cdrom);
    return machine;
}

void AddDrives(AssocHarness& harness) {
    for (unsigned number : {0u, 1u, 2u}) harness.AddDiskDrive(number, "1");
    harness.Add("ORVA_CDROMDrive", {{"DeviceID", "IDE\\CDROM\\0"}, {"Name", "CD-ROM 0"}});
}

strata_col::LDMDataBase GroupDatabase() {
    return strata_test::DatabaseBuilder()
        .Group("g1", kGroup)
        .Disk("d1", "Disk1", "guid-1")
        .Volume("v1", "Volume1", "01", "40")
        .Component("c1", "v1", "02", "01")
        .Partition("p1", "Disk1-01", "c1", "d1", "0", "40")
        .Volume("v2", "Orphan", "01", "40")  // no component: not placed
        .Get();
}

}  // namespace

// A drive joins the group named in its private header, and only a group
// instance that carries the stored name exactly.
TEST(DriveInDiskGroup, DynamicDrivesJoinTheGroupNamedInTheirHeader) {
    AssocHarness harness;
    strata_sim::SetMachine(GroupMachine(harness));
    AddDrives(harness);
    strata_col::DiskInGroup builder;
    DiskDatabaseMap databases;
    EXPECT_TRUE(builder.Collect(harness.Namespace(), databases).empty());  // no groups at all
    harness.AddGroup("red-grp0");
    harness.AddGroup("Other-Grp");
    EXPECT_TRUE(builder.Collect(harness.Namespace(), databases).empty());
    harness.AddGroup(kGroup);
    EXPECT_EQ(Keys(builder.Collect(harness.Namespace(), databases), "Collection", "Member"),
              (KeyPairs{{kGroup, DiskInstanceId(1)}, {kGroup, DiskInstanceId(2)}}));
    EXPECT_EQ(strata_sim::OpenRawFileCount(), 0);
}

TEST(ExtentInDiskGroup, OneAssociationPerVolumeWhateverTheNumberOfDisks) {
    AssocHarness harness;
    harness.AddGroup(kGroup);
    harness.AddExtent("v1", "Volume1");
    harness.AddExtent("v2", "Orphan");
    harness.AddExtent("v7", "Elsewhere");  // in no database
    // Every disk of the group carries the whole group's records.
    DiskDatabaseMap databases{
        {"guid-1", Share(GroupDatabase())}, {"guid-2", Share(GroupDatabase())}, {"guid-3", Share(GroupDatabase())}};

    strata_col::ExtentInGroup builder;
    EXPECT_EQ(Keys(builder.Collect(harness.Namespace(), databases), "Collection", "Member"),
              (KeyPairs{{kGroup, "v1"}}));
}
