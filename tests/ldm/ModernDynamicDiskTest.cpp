// Dynamic disks as Windows Vista and later write them: the private header of
// a GPT disk at the end of its LDM metadata partition, and data regions that
// do not start at sector 63. Damaged partition tables never make the reader
// read outside the drive or its buffers.
#include "ldm/GptFormat.h"
#include "ldm/GptPartitionReader.h"
#include "ldm/LDMDBParser.h"
#include "tests/ldm/MemoryDiskAccess.h"
#include "tests/ldm/ModernDiskBytes.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <gtest/gtest.h>

#include <random>

using namespace strata_col;
using namespace strata_col::gpt_layout;
using strata_test::Bytes;
using strata_test::MemoryDiskAccess;

namespace {

const char kClassicGuid[] = "0c1a551c-0000-4000-8000-000000000001";
const char kAlignedGuid[] = "a119bed0-0000-4000-8000-000000000002";
const char kGptGuid[] = "69700000-0000-4000-8000-000000000003";

// The GPT disk of the modern group (512-byte sectors): entry array at LBA 2,
// metadata partition 34..161 (the first entry), backup header in the last
// sector.
const std::uint64_t kMetadataFirst = 34;
const std::uint64_t kMetadataLast = 161;
const std::uint64_t kBackupHeaderLba = strata_test::kModernDiskSectors - 1;
const std::size_t kPrimaryHeader = 512;
const std::size_t kFirstEntry = 2 * 512;

const std::map<std::string, Bytes>& Images() {
    static const std::map<std::string, Bytes> images = strata_test::ModernImages();
    return images;
}

// The disk GUID the reader finds on a GPT drive of these bytes.
std::string GuidOf(const Bytes& bytes, MemoryDiskAccess* seen = nullptr) {
    MemoryDiskAccess local;
    MemoryDiskAccess& access = seen ? *seen : local;
    access.drives["d"].bytes = bytes;
    LDMDBParser parser(access);
    const std::string guid = parser.GetDiskGuid("d");
    EXPECT_EQ(0, access.openFiles);
    return guid;
}

TEST(ModernDynamicDisks, EveryLayoutGivesItsDatabaseAndItsDataRegionStart) {
    MemoryDiskAccess access;
    DeviceMap devices;
    for (const auto& image : Images()) {
        access.drives[image.first].bytes = image.second;
        devices.insert({image.first, image.first});
    }
    LDMDBParser parser(access);
    const DiskDatabaseMap databases = parser.ReadDatabases(devices);
    ASSERT_EQ(3u, databases.size());
    for (const char* guid : {kClassicGuid, kAlignedGuid, kGptGuid}) {
        ASSERT_EQ(1u, databases.count(guid)) << guid;
        EXPECT_EQ(3u, databases.at(guid)->partitions.size()) << guid;
        EXPECT_EQ(1u, databases.at(guid)->PartitionsOfDisk(guid).size()) << guid;
    }

    const PrivateHeader classic = parser.GetPrivateHeader("Classic");
    const PrivateHeader aligned = parser.GetPrivateHeader("Aligned");
    const PrivateHeader gpt = parser.GetPrivateHeader("Gpt");
    EXPECT_EQ(kClassicGuid, classic.diskGuid);
    EXPECT_EQ(63u, classic.logicalDiskStart);
    EXPECT_EQ(kAlignedGuid, aligned.diskGuid);
    EXPECT_EQ(strata_test::kAlignedDataStart, aligned.logicalDiskStart);
    EXPECT_EQ(kGptGuid, gpt.diskGuid);
    EXPECT_EQ(strata_test::kGptDataStart, gpt.logicalDiskStart);
    EXPECT_EQ(kMetadataFirst, gpt.configStart);
    EXPECT_EQ("Modern-Dg0", gpt.groupName);
    EXPECT_EQ(0, access.openFiles);
}

TEST(ModernDynamicDisks, GptHeaderIsTheLastSectorOfTheMetadataPartition) {
    MemoryDiskAccess access;
    EXPECT_EQ(kGptGuid, GuidOf(Images().at("Gpt"), &access));
    ASSERT_FALSE(access.reads.empty());
    EXPECT_EQ(6u * 512, access.reads.front().offset);  // sector 6 is tried first
    EXPECT_EQ(kMetadataLast * 512, access.reads.back().offset);

    // Moving the partition's end moves where the header is looked for.
    Bytes moved = Images().at("Gpt");
    strata_test::PutLittleEndian(moved, kFirstEntry + kEntryLastLbaOffset, 8, kMetadataLast - 1);
    strata_test::ResealGptEntries(moved, 1);
    strata_test::ResealGptEntries(moved, kBackupHeaderLba);
    EXPECT_EQ("", GuidOf(moved));

    // A drive of unknown length (0) still has its partition found.
    MemoryDiskAccess unknown;
    unknown.drives["d"].bytes = Images().at("Gpt");
    const int file = unknown.Open("d");
    SectorRange range;
    ASSERT_TRUE(GptPartitionReader(unknown).FindPartition(file, 512, 0, kLdmMetadataType, range));
    EXPECT_EQ(kMetadataFirst, range.first);
    EXPECT_EQ(kMetadataLast, range.last);
    unknown.Close(file);
}

TEST(ModernDynamicDisks, AHeaderAtSectorSixComesFirst) {
    Bytes both = Images().at("Gpt");
    const Bytes& classic = Images().at("Classic");
    std::copy(classic.begin() + 6 * 512, classic.begin() + 7 * 512, both.begin() + 6 * 512);
    EXPECT_EQ(kClassicGuid, GuidOf(both));
}

TEST(ModernDynamicDisks, LargeSectorGptDisksAreFound) {
    const std::map<std::string, Bytes> images = strata_test::ModernImages(4096);
    MemoryDiskAccess access;
    access.drives["d"].bytes = images.at("Gpt");
    access.drives["d"].sectorSize = 4096;
    LDMDBParser parser(access);
    const PrivateHeader header = parser.GetPrivateHeader("d");
    EXPECT_EQ(kGptGuid, header.diskGuid);
    EXPECT_EQ(strata_test::kGptDataStart / 8, header.logicalDiskStart);
    const DiskDatabaseMap databases = parser.ReadDatabases(DeviceMap{{"a", "d"}});
    ASSERT_EQ(1u, databases.count(kGptGuid));
    EXPECT_EQ(1u, databases.at(kGptGuid)->volumes.size());
}

TEST(DamagedGpt, TheProtectiveMbrMustSayGpt) {
    Bytes bytes = Images().at("Gpt");
    bytes[kMbrPartitionTableOffset + kMbrEntryTypeOffset] = 0x07;  // a disk repartitioned as MBR
    EXPECT_EQ("", GuidOf(bytes));
    bytes = Images().at("Gpt");
    bytes[kMbrBootSignatureOffset + 1] = 0;
    EXPECT_EQ("", GuidOf(bytes));
}

TEST(DamagedGpt, TheBackupTableStandsInForABadPrimaryOne) {
    Bytes bytes = Images().at("Gpt");
    bytes[kPrimaryHeader + kHeaderMyLbaOffset] ^= 1;  // fails the header CRC
    EXPECT_EQ(kGptGuid, GuidOf(bytes));
    bytes[kBackupHeaderLba * 512 + kHeaderMyLbaOffset] ^= 1;
    EXPECT_EQ("", GuidOf(bytes));

    bytes = Images().at("Gpt");
    bytes[kFirstEntry + kEntryFirstLbaOffset] ^= 1;  // the primary array fails its CRC
    EXPECT_EQ(kGptGuid, GuidOf(bytes));
    const std::size_t backupArray = (kBackupHeaderLba - 32) * 512;
    bytes[backupArray + kEntryFirstLbaOffset] ^= 1;
    EXPECT_EQ("", GuidOf(bytes));
}

// Header fields whose CRC is right but whose values cannot be: each one
// written into both headers.
TEST(DamagedGpt, ImpossibleSizesAndPositionsAreNotRead) {
    struct Damage {
        const char* what;
        std::size_t offset;
        std::size_t width;
        std::uint64_t value;
    };
    const Damage damages[] = {
        {"huge entry count", kHeaderEntryCountOffset, 4, 0x10000000},
        {"no entries", kHeaderEntryCountOffset, 4, 0},
        {"entries too small", kHeaderEntrySizeOffset, 4, 64},
        {"odd entry size", kHeaderEntrySizeOffset, 4, 130},
        {"huge entries", kHeaderEntrySizeOffset, 4, 0x80000000u},
        {"array past the end", kHeaderEntriesLbaOffset, 8, strata_test::kModernDiskSectors - 1},
        {"array far away", kHeaderEntriesLbaOffset, 8, ~0ull / 2},
        {"header size past the sector", kHeaderSizeOffset, 4, 513},
        {"header too short", kHeaderSizeOffset, 4, 91},
    };
    for (const Damage& damage : damages) {
        Bytes bytes = Images().at("Gpt");
        for (std::uint64_t lba : {std::uint64_t(1), kBackupHeaderLba}) {
            strata_test::PutLittleEndian(bytes, lba * 512 + damage.offset, damage.width, damage.value);
            if (damage.offset != kHeaderSizeOffset) strata_test::ResealGptHeader(bytes, lba);
        }
        MemoryDiskAccess access;
        EXPECT_EQ("", GuidOf(bytes, &access)) << damage.what;
        for (const strata_test::ReadCall& read : access.reads) {
            EXPECT_LE(read.count, kMaxEntryArrayBytes) << damage.what;
            EXPECT_LT(read.offset, bytes.size()) << damage.what;
        }
    }
}

TEST(DamagedGpt, AMetadataPartitionOutsideTheDriveIsPassedOver) {
    const std::pair<std::uint64_t, std::uint64_t> ranges[] = {
        {kMetadataFirst, strata_test::kModernDiskSectors},  // ends past the drive
        {kMetadataLast, kMetadataFirst},                    // ends before it starts
        {0, kMetadataLast},                                 // over the protective MBR
        {kMetadataFirst, ~0ull}};
    for (const auto& range : ranges) {
        Bytes bytes = Images().at("Gpt");
        for (std::uint64_t lba : {std::uint64_t(2), kBackupHeaderLba - 32}) {
            strata_test::PutLittleEndian(bytes, lba * 512 + kEntryFirstLbaOffset, 8, range.first);
            strata_test::PutLittleEndian(bytes, lba * 512 + kEntryLastLbaOffset, 8, range.second);
        }
        strata_test::ResealGptEntries(bytes, 1);
        strata_test::ResealGptEntries(bytes, kBackupHeaderLba);
        EXPECT_EQ("", GuidOf(bytes)) << range.first << ".." << range.second;
    }
}

TEST(DamagedGpt, RandomBytesInTheTablesNeverCrash) {
    std::mt19937 random(20241205);
    const Bytes& intact = Images().at("Gpt");
    // The protective MBR, primary header and array, the header sector, and
    // the backup array and header.
    const std::pair<std::size_t, std::size_t> regions[] = {
        {0, 34 * 512}, {kMetadataLast * 512, 512}, {(kBackupHeaderLba - 32) * 512, 33 * 512}};
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = intact;
        const auto& region = regions[round % 3];
        const std::size_t start = region.first + random() % region.second;
        const std::size_t length = 1 + random() % 16;
        for (std::size_t i = start; i < start + length && i < bytes.size(); ++i) {
            bytes[i] = static_cast<unsigned char>(random());
        }
        // Sealed again half the time, so that the damage reaches the fields.
        if (round % 2 == 0) {
            strata_test::ResealGptEntries(bytes, 1);
            strata_test::ResealGptEntries(bytes, kBackupHeaderLba);
        }
        MemoryDiskAccess access;
        access.drives["d"].bytes = bytes;
        LDMDBParser parser(access);
        parser.ReadDatabases(DeviceMap{{"a", "d"}});
        parser.GetPrivateHeader("d");
        EXPECT_EQ(0, access.openFiles);
    }
}

TEST(ModernDynamicDisks, StrataLdmDumpReadsWrittenGptImages) {
    strata_test::TempFolder folder;
    const strata_tools::GroupDescription group =
        strata_tools::ParseGroupDescription(strata_test::ModernGroup());
    strata_tools::DiskImageWriter(group).Write("Gpt", folder.File("gpt.img"));
    strata_tools::ImageFileAccess access;
    EXPECT_EQ(kGptGuid, LDMDBParser(access).GetDiskGuid(folder.File("gpt.img")));
}

}  // namespace
