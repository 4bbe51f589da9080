// The dynamic-disk images Windows wrote, read back through the Windows C
// run-time (_open, _lseeki64, _read) as the plug-in reads a drive. Offsets
// past 4 GiB matter here: on Windows `long` has 32 bits.
#include "collect/TextConversions.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "platform/win32.h"
#include "tests/ldm/RecordReading.h"
#include "tests/support/Fixtures.h"

#include <boost/endian/conversion.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

using namespace strata_col;
using nlohmann::json;

namespace {

const std::uint32_t kSectorSize = 512;

// An image file is no drive: it has no geometry to ask, but a file size,
// found by seeking to its end. Everything else goes through the platform's
// C run-time access, unchanged.
class ImageOnPlatformAccess : public PlatformDiskAccess {
public:
    DriveSize QueryDrive(const std::string&) override {
        DriveSize size;
        size.bytesPerSector = kSectorSize;
        return size;
    }
    std::uint64_t EndOf(int file) override {
        const __int64 end = _lseeki64(file, 0, SEEK_END);
        return end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
};

using strata_test::RecordNamed;
using strata_test::RecordText;

std::vector<unsigned char> ReadBytes(HANDLE file, std::uint64_t offset, std::uint32_t count) {
    std::vector<unsigned char> bytes(count, 0);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file, bytes.data(), count, &got, nullptr) || got != count) {
        bytes.clear();
    }
    return bytes;
}

bool WriteBytes(HANDLE file, std::uint64_t offset, const std::vector<unsigned char>& bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A sparse copy of the image whose database area lies past 4 GiB: the first
// megabyte (with the private header, pointed at the new place) and the area.
bool WriteFarAreaCopy(const std::string& image, const std::string& copy, std::uint64_t newStart) {
    HANDLE source = CreateFileA(image.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (source == INVALID_HANDLE_VALUE) return false;
    std::vector<unsigned char> head = ReadBytes(source, 0, 1 << 20);
    const std::size_t header = ldm_layout::kPrivHeadSector * kSectorSize;
    std::vector<unsigned char> area;
    if (!head.empty()) {
        unsigned char* const configStart = &head.at(header + ldm_layout::kConfigStartOffset);
        const std::uint64_t start = boost::endian::load_big_u64(configStart);
        const std::uint64_t size = boost::endian::load_big_u64(&head.at(header + ldm_layout::kConfigSizeOffset));
        area = ReadBytes(source, start * kSectorSize, static_cast<std::uint32_t>(size * kSectorSize));
        boost::endian::store_big_u64(configStart, newStart);
    }
    CloseHandle(source);
    if (area.empty()) return false;

    HANDLE target = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (target == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    DeviceIoControl(target, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const bool written = WriteBytes(target, 0, head) && WriteBytes(target, newStart * kSectorSize, area);
    CloseHandle(target);
    return written;
}

class FixtureImagesOnWindows : public ::testing::Test {
protected:
    void SetUp() override { STRATA_REQUIRE_FIXTURES(); }
    ImageOnPlatformAccess access_;
};

TEST_F(FixtureImagesOnWindows, EveryImageDecodesToTheGroupTheFactsDescribe) {
    LDMDBParser parser(access_);
    const DiskDatabaseMap databases = parser.ReadDatabases(strata_test::FixtureDevices());
    const json& group = strata_test::FixtureFacts()["diskgroups"][0];

    std::set<std::string> guids;
    for (const json& disk : group["disks"]) guids.insert(disk["guid"].get<std::string>());
    ASSERT_EQ(guids.size(), databases.size());
    for (const auto& entry : databases) EXPECT_EQ(1u, guids.count(entry.first)) << entry.first;
    for (const json& disk : group["disks"]) {
        EXPECT_EQ(disk["guid"], parser.GetDiskGuid(strata_test::FixtureImage(disk["device"])));
    }

    const LDMDataBase& database = *databases.begin()->second;
    ASSERT_EQ(1u, database.diskGroups.size());
    EXPECT_EQ(group["name"], RecordText(database.diskGroups.begin()->second, "Name"));
    EXPECT_EQ(group["disks"].size(), database.disks.size());
    EXPECT_EQ(group["volumes"].size(), database.volumes.size());
    for (const json& fact : group["volumes"]) {
        const RecordMap* volume = RecordNamed(database.volumes, fact["name"]);
        ASSERT_NE(nullptr, volume) << fact["name"];
        EXPECT_EQ(fact["size"].get<std::uint64_t>(), HexTextToNumber(RecordText(*volume, "Size")));
        EXPECT_EQ(fact["hint"], RecordText(*volume, "DriveHint"));
    }
    ASSERT_EQ(group["partitions"].size(), database.partitions.size());
    for (const json& fact : group["partitions"]) {
        const RecordMap* partition = RecordNamed(database.partitions, fact["name"]);
        ASSERT_NE(nullptr, partition) << fact["name"];
        EXPECT_EQ(fact["start"].get<std::uint64_t>(), HexTextToNumber(RecordText(*partition, "Start")));
        EXPECT_EQ(fact["size"].get<std::uint64_t>(), HexTextToNumber(RecordText(*partition, "Size")));
    }
}

TEST_F(FixtureImagesOnWindows, TheRunTimeReachesAreasPastFourGiB) {
    const std::string image = strata_test::FixtureImage(strata_test::FixtureImageNames().front());
    const std::string copy = std::string(STRATA_BINARY_DIR) + "/far-area-copy.img";
    const std::uint64_t farStart = (5ull << 30) / kSectorSize;  // 5 GiB
    ASSERT_TRUE(WriteFarAreaCopy(image, copy, farStart));

    LDMDBParser parser(access_);
    DeviceMap original;
    original.insert({"original", image});
    DeviceMap moved;
    moved.insert({"moved", copy});
    const DiskDatabaseMap expected = parser.ReadDatabases(original);
    const DiskDatabaseMap read = parser.ReadDatabases(moved);

    const int file = access_.Open(copy);
    ASSERT_GE(file, 0);
    EXPECT_EQ(farStart * kSectorSize + (1u << 20), access_.EndOf(file));
    access_.Close(file);
    DeleteFileA(copy.c_str());

    ASSERT_EQ(1u, expected.size());
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ(expected.begin()->first, read.begin()->first);
    const LDMDataBase& want = *expected.begin()->second;
    const LDMDataBase& got = *read.begin()->second;
    EXPECT_FALSE(got.volumes.empty());
    EXPECT_EQ(want.volumes, got.volumes);
    EXPECT_EQ(want.partitions, got.partitions);
    EXPECT_EQ(want.disks, got.disks);
    EXPECT_EQ(want.partitionsByDiskName, got.partitionsByDiskName);
}

TEST_F(FixtureImagesOnWindows, AFileIsNoDriveAndReadsGiveUpCleanly) {
    PlatformDiskAccess platform;
    const std::string image = strata_test::FixtureImage(strata_test::FixtureImageNames().front());
    // No geometry for a plain file: the drive query answers "not available".
    EXPECT_EQ(0u, platform.QueryDrive(image).bytesPerSector);
    EXPECT_EQ(0u, platform.QueryDrive("Z:\\no\\such\\drive").length);
    // The plug-in's own reader then skips the file instead of guessing.
    LDMDBParser parser;
    DeviceMap devices;
    devices.insert({"image", image});
    devices.insert({"missing", "Z:\\no\\such\\file.img"});
    EXPECT_TRUE(parser.ReadDatabases(devices).empty());
    EXPECT_LT(platform.Open("Z:\\no\\such\\file.img"), 0);
}

}  // namespace
