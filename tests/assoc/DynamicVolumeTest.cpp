// Dynamic volumes tied to the partitions they are built on and to the
// logical disks that present them.
#include "assoc/DynamicExtentBasedOn.h"
#include "assoc/DynamicVolumeBasedOnExtent.h"
#include "tests/assoc/AssocHarness.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using assoc_test::AssocHarness;
using assoc_test::KeyPairs;
using assoc_test::Keys;
using strata_col::DiskDatabaseMap;
using strata_test::Share;
using strata_test::Extent;
using strata_test::FixedDisk;
using assoc_test::RootVolume;

using assoc_test::kDataStart;
using assoc_test::kGuidA;
using assoc_test::kGuidB;
using assoc_test::kSector;

namespace {


// A mirror (v1: p1, p2), a spanned volume (v2: p3, p4) and a simple volume
// (v3: p5) over disks A and B.
strata_col::LDMDataBase MirrorSpannedSimpleDatabase() {
    return strata_test::DatabaseBuilder()
        .Group("g1", "Grp")
        .Disk("d1", "Disk1", kGuidA)
        .Disk("d2", "Disk2", kGuidB)
        .Volume("v1", "Mirror", "02", "40")
        .Component("c1a", "v1", "02", "01")
        .Component("c1b", "v1", "02", "01")
        .Partition("p1", "Disk1-01", "c1a", "d1", "0", "40")
        .Partition("p2", "Disk2-01", "c1b", "d2", "0", "40")
        .Volume("v2", "Spanned", "01", "80")
        .Component("c2", "v2", "02", "02")
        .Partition("p3", "Disk1-02", "c2", "d1", "40", "40")
        .Partition("p4", "Disk2-02", "c2", "d2", "40", "40")
        .Volume("v3", "Simple", "01", "20")
        .Component("c3", "v3", "02", "01")
        .Partition("p5", "Disk1-03", "c3", "d1", "80", "20")
        .Get();
}

void AddGroupInstances(AssocHarness& harness) {
    for (const char* id : {"p1", "p2", "p3", "p4", "p5"}) {
        harness.AddDynamicPartition(id, std::string(id) + "-name");
    }
    harness.AddExtent("v1", "Mirror");
    harness.AddExtent("v2", "Spanned");
    harness.AddExtent("v3", "Simple");
}

}  // namespace

TEST(DynamicExtentBasedOn, EveryPartitionOfADynamicVolumeIsTiedToItsExtent) {
    AssocHarness harness;
    AddGroupInstances(harness);
    harness.AddBasicPartition("Disk 0", 1, "7");
    // Typed as dynamic, but no database knows it.
    harness.AddDynamicPartition("p9", "Disk9-01");
    DiskDatabaseMap databases{{kGuidA, Share(MirrorSpannedSimpleDatabase())}, {kGuidB, Share(MirrorSpannedSimpleDatabase())}};

    strata_col::DynamicExtentBasedOn builder;
    EXPECT_EQ(Keys(builder.Collect(harness.Namespace(), databases)),
              (KeyPairs{{"p1", "v1"}, {"p2", "v1"}, {"p3", "v2"}, {"p4", "v2"}, {"p5", "v3"}}));
}

TEST(DynamicVolumeBasedOnExtent, OneAssociationPerPresentedVolume) {
    AssocHarness harness;
    strata_sim::Machine machine;
    for (unsigned number : {1u, 2u}) {
        strata_sim::Device disk =
            FixedDisk(number, harness.DynamicImage(number == 1 ? kGuidA : kGuidB, "Grp"));
        disk.length = 1 << 24;
        machine.devices.push_back(disk);
    }
    strata_sim::Volume mirror = RootVolume("E:\\");
    mirror.extents = {Extent(1, kDataStart, kSector * 0x40), Extent(2, kDataStart, kSector * 0x40)};
    mirror.length = kSector * 0x40;
    strata_sim::Volume spanned = RootVolume("F:\\");
    spanned.extents = {Extent(1, kDataStart + kSector * 0x40, kSector * 0x40),
                       Extent(2, kDataStart + kSector * 0x40, kSector * 0x40)};
    spanned.length.reset();
    machine.volumes = {mirror, spanned};
    strata_sim::SetMachine(machine);
    AddGroupInstances(harness);
    harness.AddLogicalDisk("E:\\");
    harness.AddLogicalDisk("F:\\");
    DiskDatabaseMap databases{{kGuidA, Share(MirrorSpannedSimpleDatabase())}, {kGuidB, Share(MirrorSpannedSimpleDatabase())}};

    // The simple volume v3 has no logical disk.
    strata_col::DynamicVolumeBasedOnExtent builder;
    EXPECT_EQ(Keys(builder.Collect(harness.Namespace(), databases)),
              (KeyPairs{{"v1", "E:\\"}, {"v2", "F:\\"}}));
}
