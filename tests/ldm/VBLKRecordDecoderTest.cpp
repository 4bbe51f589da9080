// Field encodings and the seven record layouts of a single block.
#include "ldm/VBLKFieldReader.h"
#include "ldm/VBLKRecordDecoder.h"
#include "tests/ldm/BlockBytes.h"

#include <gtest/gtest.h>

using namespace strata_col;
using strata_test::BlockBytes;
using strata_test::VolumeBlock;

namespace {

DecodedRecord Decode(const BlockBytes& block) {
    return VBLKRecordDecoder().Decode(block.bytes().data(), block.bytes().size());
}

std::string Field(const DecodedRecord& record, const std::string& key) {
    const auto it = record.fields.find(key);
    return it == record.fields.end() ? "<absent>" : it->second;
}

TEST(VBLKFieldEncoding, NumbersAreHexOfStoredBytesAndTextsStopAtZero) {
    BlockBytes block(ldm_layout::kTypeDiskGroupV3, 0, 0x01);
    block.Raw({0x02, 0x01, 0x2C});                 // ObjectID 012c
    const std::size_t afterId = block.Position();
    block.Raw({0x06, 'D', 'g', 0x00, 'x', 'y', 'z'})  // name with a zero byte inside
        .Raw({0x00})                                   // an empty var-text
        .Zeros(4).Fixed(0x00000000000000ffull, 8);
    const DecodedRecord record = Decode(block);

    EXPECT_EQ(0x1Bu, afterId);
    EXPECT_EQ(VBLKRecordKind::DiskGroup, record.kind);
    EXPECT_EQ("012c", Field(record, "ObjectID"));
    EXPECT_EQ("Dg", Field(record, "Name"));         // all six bytes consumed...
    EXPECT_EQ("", Field(record, "DiskGroupID"));     // ...so the next field is read right
    EXPECT_EQ("00000000000000ff", Field(record, "LogCommitID"));
    EXPECT_EQ("01", Field(record, "UpdateStatus"));
    EXPECT_EQ("35", Field(record, "RecordType"));
}

TEST(VBLKFieldEncoding, ZeroLengthVarNumIsEmptyAndTakesOneByte) {
    BlockBytes block(ldm_layout::kTypePartition, ldm_layout::kFlagPartitionIndex);
    block.VarNum({0x07}).VarText("Disk1-01").Zeros(4).Fixed(0x426, 8).Fixed(0x3f, 8).Fixed(0, 8)
        .Raw({0x00})  // Size: length 0
        .VarNum({0x04, 0x23}).VarNum({0x04, 0x03}).VarNum({0x01});
    const DecodedRecord record = Decode(block);
    EXPECT_EQ(VBLKRecordKind::Partition, record.kind);
    EXPECT_EQ("", Field(record, "Size"));
    EXPECT_EQ("0423", Field(record, "ParentID"));
    EXPECT_EQ("0403", Field(record, "DiskID"));
    EXPECT_EQ("000000000000003f", Field(record, "Start"));
    EXPECT_EQ("0000000000000000", Field(record, "VolumeOffset"));
    EXPECT_EQ(10u, record.fields.size());  // the index field is read, not kept
}

TEST(VBLKVolumeRecord, FlagsSelectTheOptionalFields) {
    // 0x28: ID1 only (0x20 is ignored when 0x08 is set); the field after it
    // would be read from the byte following ID1.
    BlockBytes id1 = VolumeBlock(0x28, {0x04, 0x21}, "Volume1");
    id1.VarNum({0x04, 0x52}).VarText("E:");
    const DecodedRecord withId1 = Decode(id1);
    EXPECT_EQ("0452", Field(withId1, "ID1"));
    EXPECT_EQ("<absent>", Field(withId1, "ID2"));
    EXPECT_EQ("<absent>", Field(withId1, "ChildSize"));
    EXPECT_EQ("<absent>", Field(withId1, "DriveHint"));

    BlockBytes childAndHint = VolumeBlock(0x82, {0x04, 0x21}, "Volume1");
    childAndHint.VarNum({0x80, 0x00}).VarText("E:");
    const DecodedRecord both = Decode(childAndHint);
    EXPECT_EQ("8000", Field(both, "ChildSize"));
    EXPECT_EQ("E:", Field(both, "DriveHint"));
    EXPECT_EQ("<absent>", Field(both, "ID1"));

    BlockBytes id2 = VolumeBlock(0x22, {0x04, 0x51}, "Raid1");
    id2.VarNum({0x04, 0x52}).VarText("I:");
    const DecodedRecord withId2 = Decode(id2);
    EXPECT_EQ("0452", Field(withId2, "ID2"));
    EXPECT_EQ("I:", Field(withId2, "DriveHint"));
}

TEST(VBLKVolumeRecord, FixedFieldsOfTheBody) {
    const DecodedRecord record = Decode(VolumeBlock(0x00, {0x04, 0x21}, "Volume1"));
    EXPECT_EQ(VBLKRecordKind::Volume, record.kind);
    EXPECT_EQ((RecordMap{{"UpdateStatus", "00"}, {"RecordType", "51"}, {"ObjectID", "0421"},
                         {"Name", "Volume1"}, {"VolumeType", "gen"}, {"VolumeState", "ACTIVE"},
                         {"VolumeCategory", "03"}, {"VolumeNumber", "05"}, {"NumberOfChildren", "01"},
                         {"LogCommitID1", "0000000000000429"}, {"LogCommitID2", "0000000000000428"},
                         {"Size", "017800"}, {"PartitionType", "07"},
                         {"VolumeID", "6e30daae8e4240fb9af0807416c3fede"}}),
              record.fields);
}

TEST(VBLKComponentRecord, StripeFieldsAreReadButNotKept) {
    BlockBytes block(ldm_layout::kTypeComponent, ldm_layout::kFlagComponentStripe);
    block.VarNum({0x04, 0x54}).VarText("Raid1-01").VarText("ACTIVE").Raw({0x03}).Zeros(4)
        .VarNum({0x03}).Fixed(0x45e, 8).Zeros(8).VarNum({0x04, 0x51}).VarNum({0x80}).VarNum({0x03});
    const DecodedRecord record = Decode(block);
    EXPECT_EQ(VBLKRecordKind::Component, record.kind);
    EXPECT_EQ((RecordMap{{"UpdateStatus", "00"}, {"RecordType", "32"}, {"ObjectID", "0454"},
                         {"Name", "Raid1-01"}, {"VolumeState", "ACTIVE"}, {"ComponentType", "03"},
                         {"NumberOfChildren", "03"}, {"LogCommitID", "000000000000045e"}, {"ParentID", "0451"}}),
              record.fields);
}

TEST(VBLKDiskRecord, VersionFourJoinsBothGuidsAndIndexesTheFirst) {
    BlockBytes block(ldm_layout::kTypeDiskV4);
    block.VarNum({0x04, 0x03}).VarText("Disk1")
        .Fixed(0xd17c2c046afc46c3ull, 8).Fixed(0x84b7cdc2f3956c5cull, 8)
        .Fixed(0x0102030405060708ull, 8).Fixed(0x090a0b0c0d0e0f10ull, 8)
        .Zeros(3).Raw({0x12, 0x34}).Fixed(0x426, 8);
    const DecodedRecord record = Decode(block);
    EXPECT_EQ(VBLKRecordKind::Disk, record.kind);
    const std::string diskId = Field(record, "DiskID");
    EXPECT_EQ(65u, diskId.size());
    EXPECT_EQ("d17c2c046afc46c384b7cdc2f3956c5c,0102030405060708090a0b0c0d0e0f10", diskId);
    EXPECT_EQ("d17c2c046afc46c384b7cdc2f3956c5c", record.nameIndexGuid);
    EXPECT_EQ("1234", Field(record, "ID"));
    EXPECT_EQ("0000000000000426", Field(record, "LogCommitID"));
    // The zeros after it are no field of a disk record.
    EXPECT_EQ(7u, record.fields.size());
}

TEST(VBLKDiskRecord, VersionThreeKeepsItsGuidTextAsStored) {
    BlockBytes block(ldm_layout::kTypeDiskV3);
    block.VarNum({0x04, 0x03}).VarText("Disk1").VarText("D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C")
        .VarText("alt").Zeros(4).Fixed(0x426, 8);
    const DecodedRecord record = Decode(block);
    EXPECT_EQ("D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C", Field(record, "DiskID"));
    EXPECT_EQ("D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C", record.nameIndexGuid);
    EXPECT_EQ("alt", Field(record, "AlternateName"));
    EXPECT_EQ("0000000000000426", Field(record, "LogCommitID"));
}

TEST(VBLKDiskGroupRecord, VersionFourHoldsBinaryGuids) {
    BlockBytes block(ldm_layout::kTypeDiskGroupV4);
    block.VarNum({0x04, 0x01}).VarText("Dg0").Fixed(0x1111111111111111ull, 8).Fixed(0x2222222222222222ull, 8)
        .Fixed(0x3333333333333333ull, 8).Fixed(0x4444444444444444ull, 8).Zeros(4).Fixed(0x404, 8);
    const DecodedRecord record = Decode(block);
    EXPECT_EQ(VBLKRecordKind::DiskGroup, record.kind);
    EXPECT_EQ("11111111111111112222222222222222", Field(record, "DiskGroupID"));
    EXPECT_EQ("33333333333333334444444444444444", Field(record, "DiskSetID"));
    EXPECT_EQ("0000000000000404", Field(record, "LogCommitID"));
}

TEST(VBLKBlockBounds, AFieldPastTheBlockEndsTheRecordWithTheFieldsBeforeIt) {
    // A version-3 disk record whose alternate name runs into the next block,
    // as Windows writes long device names.
    BlockBytes block(ldm_layout::kTypeDiskV3);
    block.VarNum({0x04, 0x06}).VarText("Disk2").VarText("c85a6ce4-edb3-4dbc-a3b9-7fba4b6e6f75")
        .VarText(std::string(62, 'S')).Zeros(4).Fixed(0x426, 8);
    const DecodedRecord record = Decode(block);
    EXPECT_EQ("0406", Field(record, "ObjectID"));
    EXPECT_EQ("Disk2", Field(record, "Name"));
    EXPECT_EQ("c85a6ce4-edb3-4dbc-a3b9-7fba4b6e6f75", Field(record, "DiskID"));
    EXPECT_EQ("<absent>", Field(record, "AlternateName"));
    EXPECT_EQ("<absent>", Field(record, "LogCommitID"));
}

TEST(VBLKBlockBounds, LengthBytesThatReachPastTheBlockReadNothingBeyondIt) {
    // Every var field claims 255 bytes; under the sanitizers a read past the
    // 128 bytes would be reported.
    BlockBytes block(ldm_layout::kTypeVolume, 0xFF);
    block.Raw({0xFF});
    const DecodedRecord record = Decode(block);
    EXPECT_EQ("<absent>", Field(record, "ObjectID"));
    EXPECT_EQ(2u, record.fields.size());  // UpdateStatus and RecordType

    // A 102-byte ObjectID leaves only the block's last byte, the length of
    // Name, which announces bytes beyond the block.
    BlockBytes lastByte(ldm_layout::kTypeComponent);
    lastByte.Raw({102}).Zeros(101).Raw({0x01}).Raw({0x05});
    const DecodedRecord cut = Decode(lastByte);
    EXPECT_EQ(std::string(202, '0') + "01", Field(cut, "ObjectID"));
    EXPECT_EQ("<absent>", Field(cut, "Name"));
    EXPECT_EQ("<absent>", Field(cut, "VolumeState"));
}

TEST(VBLKBlockBounds, AFieldEndingAtTheLastByteIsReadOneByteLongerIsNot) {
    const unsigned char bytes[] = {0xAB, 0x00};
    std::string text = "kept";
    VBLKFieldReader twoBytes(bytes, sizeof bytes, 1);
    EXPECT_FALSE(twoBytes.ReadByte(text, 2));  // a two-byte field, one byte left
    EXPECT_EQ("kept", text);
    EXPECT_FALSE(twoBytes.ReadByte(text, 1));  // and the reader stays exhausted

    VBLKFieldReader oneByte(bytes, sizeof bytes, 1);
    EXPECT_TRUE(oneByte.ReadByte(text, 1));
    EXPECT_EQ("00", text);

    VBLKFieldReader emptyVar(bytes, sizeof bytes, 1);  // length byte 0, nothing after it
    text = "kept";
    EXPECT_TRUE(emptyVar.ReadVar(false, text));
    EXPECT_EQ("", text);
}

TEST(VBLKRecordKinds, UnknownTypeBytesGiveNothing) {
    for (unsigned char type : {0x00, 0x30, 0x31, 0x36, 0x41, 0x52, 0xFF}) {
        BlockBytes block(type);
        block.VarNum({0x01}).VarText("x");
        const DecodedRecord record = Decode(block);
        EXPECT_EQ(VBLKRecordKind::None, record.kind) << int(type);
        EXPECT_TRUE(record.fields.empty());
    }
}

}  // namespace
