// The reader: private header, database area, drives in a DeviceMap.
#include "ldm/LDMDBParser.h"
#include "ldm/LittleEndian.h"
#include "ldm/PrivateHeader.h"
#include "tests/ldm/BlockBytes.h"
#include "tests/ldm/MemoryDiskAccess.h"

#include <boost/endian/conversion.hpp>
#include <gtest/gtest.h>

using namespace strata_col;
using strata_test::AreaBytes;
using strata_test::BlockBytes;
using strata_test::MemoryDiskAccess;
using strata_test::MemoryDrive;

namespace {

std::vector<unsigned char> Header(const std::string& guid, std::uint64_t configStart,
                                  std::uint64_t configSize) {
    std::vector<unsigned char> header(512, 0);
    std::memcpy(header.data(), "PRIVHEAD", 8);
    std::memcpy(header.data() + ldm_layout::kDiskGuidOffset, guid.data(), guid.size());
    std::memcpy(header.data() + ldm_layout::kGroupNameOffset, "Dg0", 3);
    boost::endian::store_big_u64(&header[ldm_layout::kLogicalDiskStartOffset], 63);
    boost::endian::store_big_u64(&header[ldm_layout::kLogicalDiskSizeOffset], 1000);
    boost::endian::store_big_u64(&header[ldm_layout::kConfigStartOffset], configStart);
    boost::endian::store_big_u64(&header[ldm_layout::kConfigSizeOffset], configSize);
    return header;
}

// An area holding a group, a disk named for the GUID, and a partition on it;
// the TOCBLOCK puts the VMDB at 512-byte unit `vmdbUnit`.
AreaBytes Area(std::size_t size, std::uint32_t sectorSize, std::uint32_t vmdbUnit,
               const std::string& diskGuid) {
    AreaBytes area(size);
    area.PutBigEndian32(sectorSize + ldm_layout::kTocConfigRegionLowOffset, vmdbUnit);
    const std::size_t first = vmdbUnit * 512 + 512;
    BlockBytes group(ldm_layout::kTypeDiskGroupV3);
    group.VarNum({0x04, 0x01}).VarText("Dg0").VarText("g").Zeros(4).Fixed(1, 8);
    BlockBytes disk(ldm_layout::kTypeDiskV3);
    disk.VarNum({0x04, 0x03}).VarText("Disk1").VarText(diskGuid).VarText("").Zeros(4).Fixed(1, 8);
    BlockBytes partition(ldm_layout::kTypePartition);
    partition.VarNum({0x04, 0x25}).VarText("Disk1-01").Zeros(4).Fixed(1, 8).Fixed(0, 8).Fixed(0, 8)
        .VarNum({0x10}).VarNum({0x04, 0x23}).VarNum({0x04, 0x03});
    BlockBytes orphan(ldm_layout::kTypePartition);
    orphan.VarNum({0x04, 0x26}).VarText("Lost-01").Zeros(4).Fixed(1, 8).Fixed(0, 8).Fixed(0, 8)
        .VarNum({0x10}).VarNum({0x04, 0x23}).VarNum({0x04, 0x99});
    area.Place(first, group).Place(first + 128, disk).Place(first + 256, partition)
        .Place(first + 384, orphan);
    return area;
}

MemoryDrive Drive(std::uint32_t sectorSize, const std::string& guid, std::uint32_t vmdbUnit = 17) {
    const std::uint64_t configStart = 64;
    const std::size_t areaBytes = 64 * 1024;
    MemoryDrive drive;
    drive.sectorSize = sectorSize;
    drive.bytes.assign(configStart * sectorSize + areaBytes + sectorSize, 0);
    const std::vector<unsigned char> header = Header(guid, configStart, areaBytes / sectorSize);
    std::copy(header.begin(), header.end(), drive.bytes.begin() + 6 * sectorSize);
    AreaBytes area = Area(areaBytes, sectorSize, vmdbUnit, guid);
    std::copy(area.bytes().begin(), area.bytes().end(), drive.bytes.begin() + configStart * sectorSize);
    return drive;
}

const char kGuid1[] = "d17c2c04-6afc-46c3-84b7-cdc2f3956c5c";
const char kGuid2[] = "c85a6ce4-edb3-4dbc-a3b9-7fba4b6e6f75";

TEST(ByteReaders, EveryWidthInBothOrdersAndNothingOutsideTheBuffer) {
    const unsigned char bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (std::size_t width = 1; width <= 8; ++width) {
        std::uint64_t big = 0, little = 0;
        ASSERT_TRUE(ReadBigEndian(bytes, 8, 8 - width, width, big));
        ASSERT_TRUE(ReadLittleEndian(bytes, 8, 0, width, little));
        const std::uint64_t mask = ~0ull >> (64 - 8 * width);
        EXPECT_EQ(0x0102030405060708ull & mask, big) << width;
        EXPECT_EQ(0x0807060504030201ull & mask, little) << width;
        EXPECT_FALSE(ReadBigEndian(bytes, 8, 9 - width, width, big)) << width;
    }
}

TEST(PrivateHeaderDecoding, MagicMustEndAtAZeroByte) {
    std::vector<unsigned char> header = Header(kGuid1, 100352, 2048);
    PrivateHeader fields;
    ASSERT_TRUE(DecodePrivateHeader(header, fields));
    EXPECT_EQ(kGuid1, fields.diskGuid);
    EXPECT_EQ("Dg0", fields.groupName);
    EXPECT_EQ(63u, fields.logicalDiskStart);
    EXPECT_EQ(1000u, fields.logicalDiskSize);
    EXPECT_EQ(100352u, fields.configStart);
    EXPECT_EQ(2048u, fields.configSize);

    header[8] = 'X';
    EXPECT_FALSE(IsPrivateHeader(header));
    EXPECT_FALSE(IsPrivateHeader(header.data(), 8));  // too short to hold the terminator
    header[8] = 0;
    header[3] = 'v';
    EXPECT_FALSE(DecodePrivateHeader(header, fields));
}

TEST(DatabaseReader, ReadsTheDatabaseAndIndexesPartitionsByDisk) {
    MemoryDiskAccess access;
    access.drives["\\\\.\\PhysicalDrive1"] = Drive(512, kGuid1);
    LDMDBParser parser(access);
    DeviceMap devices{{"ID1", "\\\\.\\PhysicalDrive1"}};
    const DiskDatabaseMap result = parser.ReadDatabases(devices);
    ASSERT_EQ(1u, result.count(kGuid1));
    const LDMDataBase& database = *result.at(kGuid1);
    EXPECT_EQ(1u, database.diskGroups.size());
    EXPECT_EQ(2u, database.partitions.size());
    // The partition whose DiskID names no disk record is not indexed.
    ASSERT_EQ(1u, database.partitionsByDiskName.size());
    EXPECT_EQ("Disk1", database.partitionsByDiskName.begin()->first);
    EXPECT_EQ("0425", database.partitionsByDiskName.begin()->second);
    EXPECT_EQ(0, access.openFiles);
    EXPECT_EQ(kGuid1, parser.GetDiskGuid("\\\\.\\PhysicalDrive1"));
}

// The test drive puts the VMDB at unit 17, byte 8704 of the area, which is
// inside the area's third 4096-byte sector: found only if the unit stays 512.
TEST(DatabaseReader, LargeSectorsMoveHeaderAndTocButNotTheVmdbUnit) {
    MemoryDiskAccess access;
    access.drives["d"] = Drive(4096, kGuid1, 17);
    LDMDBParser parser(access);
    const DiskDatabaseMap result = parser.ReadDatabases(DeviceMap{{"a", "d"}});
    ASSERT_EQ(1u, result.count(kGuid1));
    EXPECT_EQ(1u, result.at(kGuid1)->disks.size());
    ASSERT_EQ(2u, access.reads.size());
    EXPECT_EQ(24576u, access.reads[0].offset);  // sector 6
    EXPECT_EQ(4096u, access.reads[0].count);
    EXPECT_EQ(64u * 4096u, access.reads[1].offset);
    EXPECT_EQ(64u * 1024u, access.reads[1].count);
}

TEST(DatabaseReader, DrivesWithoutADatabaseContributeNothing) {
    MemoryDiskAccess access;
    access.drives["basic"] = MemoryDrive();
    access.drives["basic"].bytes.assign(64 * 1024, 0);
    access.drives["unopenable"] = Drive(512, kGuid1);
    access.drives["unopenable"].openFails = true;
    access.drives["nosector"] = Drive(512, kGuid1);
    access.drives["nosector"].sectorSize = 0;
    LDMDBParser parser(access);
    const DiskDatabaseMap result = parser.ReadDatabases(
        DeviceMap{{"1", "basic"}, {"2", "unopenable"}, {"3", "nosector"}, {"4", "absent"}});
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(0, access.openFiles);
    EXPECT_EQ("", parser.GetDiskGuid("basic"));
    EXPECT_EQ("", parser.GetDiskGuid("absent"));
    EXPECT_EQ("", parser.GetDiskGuid("unopenable"));
}

TEST(DatabaseReader, UnreadableAreaGivesAnEmptyDatabaseEntry) {
    MemoryDiskAccess access;
    access.drives["d"] = Drive(512, kGuid1);
    access.drives["d"].readLimitPastHeader = 0;
    LDMDBParser parser(access);
    const DiskDatabaseMap result = parser.ReadDatabases(DeviceMap{{"a", "d"}});
    ASSERT_EQ(1u, result.count(kGuid1));
    EXPECT_TRUE(result.at(kGuid1)->disks.empty());
}

// A device read may return fewer bytes than asked (at the end of a device,
// for one): what it gave is kept and the rest reads as zeros; a read that
// gives nothing reads no area.
TEST(DatabaseReader, AShortAreaReadIsZeroFilledAndAnEmptyOneFails) {
    MemoryDiskAccess access;
    access.drives["d"] = Drive(512, kGuid1);
    access.drives["d"].bytes[64 * 512] = 0x5A;
    access.drives["d"].readLimitPastHeader = 1;
    LDMDBParser parser(access);
    const int file = access.Open("d");
    const std::vector<unsigned char> header = Header(kGuid1, 64, 128);
    std::vector<unsigned char> area;
    std::uint32_t vmdbOffset = 1;
    ASSERT_TRUE(parser.ReadDatabaseArea(file, header, 512, 0, area, vmdbOffset));
    std::vector<unsigned char> expected(128 * 512, 0);
    expected[0] = 0x5A;
    EXPECT_EQ(expected, area);
    EXPECT_EQ(0u, vmdbOffset);  // the table of contents was not reached

    access.drives["d"].readLimitPastHeader = 0;
    EXPECT_FALSE(parser.ReadDatabaseArea(file, header, 512, 0, area, vmdbOffset));
}

TEST(DatabaseReader, LaterDriveWithTheSameGuidWins) {
    MemoryDiskAccess access;
    access.drives["first"] = Drive(512, kGuid1);
    access.drives["second"] = Drive(512, kGuid1);
    access.drives["second"].readLimitPastHeader = 0;
    access.drives["other"] = Drive(512, kGuid2);
    LDMDBParser parser(access);
    const DiskDatabaseMap result =
        parser.ReadDatabases(DeviceMap{{"a", "first"}, {"b", "second"}, {"c", "other"}});
    ASSERT_EQ(2u, result.size());
    EXPECT_TRUE(result.at(kGuid1)->disks.empty());  // the second drive's
    EXPECT_EQ(1u, result.at(kGuid2)->disks.size());
}

// Disks whose record blocks are the same bytes share one decoded database,
// within one read and, through one cache, across the two collectors' reads;
// bytes outside the blocks do not matter, a changed block does.
TEST(DatabaseReader, IdenticalRecordBlocksShareOneDecodedDatabase) {
    const char kOther[] = "0b5e1c4e-0000-4000-8000-000000000001";
    MemoryDiskAccess access;
    access.drives["a"] = Drive(512, kGuid1);
    MemoryDrive twin = Drive(512, kGuid1);  // the same records under its own header GUID
    std::copy(kGuid2, kGuid2 + sizeof kGuid2 - 1, twin.bytes.begin() + 6 * 512 + ldm_layout::kDiskGuidOffset);
    twin.bytes[twin.bytes.size() - 513] = 0xEE;  // the area's last byte, in no block
    access.drives["b"] = twin;
    access.drives["c"] = Drive(512, kOther);
    const DeviceMap drives{{"1", "a"}, {"2", "b"}, {"3", "c"}};
    DatabaseCache cache;
    LDMDBParser parser(access, &cache);

    const DiskDatabaseMap first = parser.ReadDatabases(drives);
    ASSERT_EQ(3u, first.size());
    EXPECT_EQ(first.at(kGuid1), first.at(kGuid2));
    EXPECT_NE(first.at(kGuid1), first.at(kOther));
    EXPECT_EQ(kOther, first.at(kOther)->disks.begin()->second.at("DiskID"));

    // Drive b's records change before the second collector reads them.
    MemoryDrive changed = Drive(512, kOther);
    std::copy(kGuid2, kGuid2 + sizeof kGuid2 - 1, changed.bytes.begin() + 6 * 512 + ldm_layout::kDiskGuidOffset);
    changed.bytes[changed.bytes.size() - 513 - 200] ^= 1;  // inside no block either
    access.drives["b"] = changed;
    const DiskDatabaseMap second = parser.ReadDatabases(drives);
    EXPECT_EQ(first.at(kGuid1), second.at(kGuid1));
    EXPECT_EQ(first.at(kOther), second.at(kGuid2));
    EXPECT_EQ(2u, cache.Size());

    // Without a cache each read decodes on its own.
    LDMDBParser alone(access);
    EXPECT_NE(first.at(kGuid1), alone.ReadDatabases(drives).at(kGuid1));
}

// The drive of Drive(512, kGuid1) with its header's area moved.
MemoryDrive WithArea(std::uint64_t configStart, std::uint64_t configSize) {
    MemoryDrive drive = Drive(512, kGuid1);
    const std::vector<unsigned char> header = Header(kGuid1, configStart, configSize);
    std::copy(header.begin(), header.end(), drive.bytes.begin() + 6 * 512);
    return drive;
}

TEST(DatabaseReader, AnAreaBeyondTheDriveIsNeverAllocated) {
    MemoryDiskAccess access;
    access.drives["huge"] = WithArea(64, 1ull << 40);        // 2^40 sectors
    access.drives["overflow"] = WithArea(64, ~0ull / 256);   // overflows when made bytes
    access.drives["farstart"] = WithArea(~0ull / 512 + 1, 128);
    LDMDBParser parser(access);
    for (const char* path : {"huge", "overflow", "farstart"}) {
        access.reads.clear();
        const DiskDatabaseMap result = parser.ReadDatabases(DeviceMap{{"a", path}});
        ASSERT_EQ(1u, result.count(kGuid1)) << path;
        EXPECT_TRUE(result.at(kGuid1)->disks.empty()) << path;
        EXPECT_EQ(1u, access.reads.size()) << path;  // only the header was read
    }
}

TEST(DatabaseReader, TocOutsideTheAreaOrVmdbPastItGivesNothing) {
    MemoryDiskAccess access;
    access.drives["short"] = WithArea(64, 1);  // an area of one sector: no TOCBLOCK
    access.drives["wrap"] = Drive(512, kGuid1, 0x00800000u);  // blocks at (2^23 × 512) mod 2^32 + 512
    LDMDBParser parser(access);
    EXPECT_TRUE(parser.ReadDatabases(DeviceMap{{"a", "short"}}).at(kGuid1)->disks.empty());
    // The VMDB offset is computed in 32 bits: unit 2^23 is byte 0 again, so
    // the blocks the drive holds at byte 512 are found.
    const DiskDatabaseMap wrapped = parser.ReadDatabases(DeviceMap{{"a", "wrap"}});
    EXPECT_EQ(1u, wrapped.at(kGuid1)->disks.size());
}

TEST(DatabaseReader, ResolvePartitionDiskNeedsAllFourLookups) {
    RecordTable disks;
    disks["0403"]["Name"] = "Disk1";
    disks["0404"]["ObjectID"] = "0404";  // no Name
    RecordMap partition{{"ObjectID", "0425"}, {"DiskID", "0403"}};
    std::pair<std::string, std::string> placed;
    ASSERT_TRUE(LDMDBParser::ResolvePartitionDisk(disks, partition, placed));
    EXPECT_EQ(std::make_pair(std::string("Disk1"), std::string("0425")), placed);
    EXPECT_FALSE(LDMDBParser::ResolvePartitionDisk(disks, RecordMap{{"ObjectID", "1"}}, placed));
    EXPECT_FALSE(LDMDBParser::ResolvePartitionDisk(
        disks, RecordMap{{"ObjectID", "1"}, {"DiskID", "0404"}}, placed));
    EXPECT_FALSE(LDMDBParser::ResolvePartitionDisk(disks, RecordMap{{"DiskID", "0403"}}, placed));
}

}  // namespace
