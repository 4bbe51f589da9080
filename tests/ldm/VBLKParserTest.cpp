// The block scan over a database area and the filing of records.
#include "ldm/VBLKParser.h"
#include "tests/ldm/BlockBytes.h"

#include <gtest/gtest.h>

using namespace strata_col;
using strata_test::AreaBytes;
using strata_test::BlockBytes;

namespace {

BlockBytes Group(unsigned char id, const std::string& name) {
    BlockBytes block(ldm_layout::kTypeDiskGroupV3);
    block.VarNum({0x04, id}).VarText(name).VarText("guid").Zeros(4).Fixed(1, 8);
    return block;
}

BlockBytes DiskV4(unsigned char id, const std::string& name, unsigned char guidByte) {
    BlockBytes block(ldm_layout::kTypeDiskV4);
    block.VarNum({0x04, id}).VarText(name);
    for (int i = 0; i < 16; ++i) block.Raw({guidByte});
    block.Zeros(16).Zeros(3).Zeros(2).Fixed(1, 8);
    return block;
}

LDMDataBase Parse(AreaBytes& area, std::uint32_t vmdbOffset) {
    return VBLKParser().Parse(area.bytes().data(), vmdbOffset, area.bytes().size());
}

TEST(VBLKScan, SearchStartsOneSectorAfterTheVmdb) {
    AreaBytes area(4096);
    area.Place(511, Group(0x01, "Before")).Place(512, Group(0x02, "First"));
    const LDMDataBase database = Parse(area, 0);
    ASSERT_EQ(1u, database.diskGroups.size());
    EXPECT_EQ("First", database.diskGroups.at("0402").at("Name"));

    AreaBytes later(4096);
    later.Place(1024 + 512 + 7, Group(0x03, "Late"));
    EXPECT_EQ(1u, Parse(later, 1024).diskGroups.count("0403"));
    EXPECT_TRUE(Parse(later, 4096).diskGroups.empty());  // search start past the end
}

TEST(VBLKScan, PackedBlocksAreAllFoundAndStrayMagicOnlyInTheNextWindow) {
    AreaBytes area(512 + 128 * 10 + 1);
    for (unsigned char i = 0; i < 10; ++i) {
        area.Place(512 + 128 * i, Group(static_cast<unsigned char>(0x10 + i), "G" + std::to_string(i)));
    }
    EXPECT_EQ(10u, Parse(area, 0).diskGroups.size());

    // After a block at 512 the next window is [608, 736): a "VBLK" inside the
    // first block's own bytes before 608 is not seen, one at 620 is.
    AreaBytes stray(2048);
    BlockBytes first = Group(0x20, "First");
    stray.Place(512, first);
    std::memcpy(stray.bytes().data() + 512 + 80, "VBLK", 4);
    stray.Place(620, Group(0x21, "Stray"));
    const LDMDataBase database = Parse(stray, 0);
    EXPECT_EQ(2u, database.diskGroups.size());
    EXPECT_EQ(1u, database.diskGroups.count("0421"));
}

TEST(VBLKScan, ABlockEndingAtTheAreaEndIsNotDecoded) {
    AreaBytes exact(512 + 128);
    exact.Place(512, Group(0x01, "Last"));
    EXPECT_TRUE(Parse(exact, 0).diskGroups.empty());

    AreaBytes oneMore(512 + 129);
    oneMore.Place(512, Group(0x01, "Last"));
    EXPECT_EQ(1u, Parse(oneMore, 0).diskGroups.size());

    // A block cut by the area's end is neither read nor decoded.
    AreaBytes cut(512 + 60);
    cut.Place(512, Group(0x01, "Cut"));
    EXPECT_TRUE(Parse(cut, 0).diskGroups.empty());
}

TEST(VBLKScan, EmptyAndUnknownBlocksAddNothing) {
    AreaBytes area(2048);
    area.Place(512, BlockBytes(0x00)).Place(640, BlockBytes(0x3F)).Place(768, Group(0x05, "Real"));
    const LDMDataBase database = Parse(area, 0);
    EXPECT_EQ(1u, database.diskGroups.size());
    EXPECT_TRUE(database.volumes.empty());
    EXPECT_TRUE(database.disks.empty());
}

TEST(VBLKFiling, FirstRecordOfAnObjectIdStays) {
    AreaBytes area(2048);
    area.Place(512, DiskV4(0x03, "Disk1", 0xAA))
        .Place(640, DiskV4(0x03, "Disk9", 0xBB))   // same ObjectID: dropped from disks...
        .Place(768, DiskV4(0x04, "Disk1", 0xCC));  // same Name: the index keeps the first GUID
    const LDMDataBase database = Parse(area, 0);
    ASSERT_EQ(2u, database.disks.size());
    EXPECT_EQ("Disk1", database.disks.at("0403").at("Name"));
    EXPECT_EQ(std::string(32, 'a'), database.diskGuidByName.at("Disk1"));
    // ...but its name still enters the index.
    EXPECT_EQ(std::string(32, 'b'), database.diskGuidByName.at("Disk9"));
    EXPECT_TRUE(database.partitionsByDiskName.empty());
}

TEST(VBLKFiling, RecordsGoToTheTableOfTheirKind) {
    AreaBytes area(4096);
    BlockBytes partition(ldm_layout::kTypePartition);
    partition.VarNum({0x04, 0x25}).VarText("Disk1-01").Zeros(4).Fixed(1, 8).Fixed(0, 8).Fixed(0, 8)
        .VarNum({0x01, 0x78, 0x00}).VarNum({0x04, 0x23}).VarNum({0x04, 0x03});
    BlockBytes component(ldm_layout::kTypeComponent);
    component.VarNum({0x04, 0x23}).VarText("Volume1-01").VarText("ACTIVE").Raw({0x02}).Zeros(4)
        .VarNum({0x01}).Fixed(1, 8).Zeros(8).VarNum({0x04, 0x21});
    area.Place(512, strata_test::VolumeBlock(0, {0x04, 0x21}, "Volume1"))
        .Place(640, component).Place(768, partition).Place(896, Group(0x01, "Dg"))
        .Place(1024, DiskV4(0x03, "Disk1", 0x11));
    const LDMDataBase database = Parse(area, 0);
    EXPECT_EQ(1u, database.volumes.count("0421"));
    EXPECT_EQ(1u, database.components.count("0423"));
    EXPECT_EQ(1u, database.partitions.count("0425"));
    EXPECT_EQ(1u, database.diskGroups.count("0401"));
    EXPECT_EQ(1u, database.disks.count("0403"));
}

TEST(VBLKScan, GarbageAndNullAreasGiveEmptyOrPartialDatabases) {
    EXPECT_TRUE(VBLKParser().Parse(nullptr, 0, 4096).volumes.empty());
    AreaBytes area(3000);
    for (std::size_t i = 512; i + 4 <= 3000; i += 4) std::memcpy(area.bytes().data() + i, "VBLK", 4);
    const LDMDataBase database = Parse(area, 0);
    EXPECT_TRUE(database.volumes.empty() && database.disks.empty() && database.diskGroups.empty());
}

}  // namespace
