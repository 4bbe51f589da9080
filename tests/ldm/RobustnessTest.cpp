// Corrupt databases: areas cut short and bit-flipped records never crash the
// reader nor make it read outside its buffers (the sanitizer build reports
// any such read). Whole damaged drives, queried through the plug-in, are the
// corpus test's (tests/e2e); random bytes are the fuzzers'.
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "ldm/VBLKParser.h"
#include "tests/ldm/MemoryDiskAccess.h"
#include "tools/strata-ldm/DiskImageWriter.h"

#include <boost/endian/conversion.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace strata_col;
using strata_test::MemoryDiskAccess;
using strata_test::MemoryDrive;

namespace {

const std::uint64_t kConfigStart = 8;  // the area right after the header, to keep drives small

strata_tools::GroupDescription SmallGroup() {
    nlohmann::json description = {
        {"configSectors", 128},
        {"diskSectors", 4096},
        {"group", {{"name", "Fuzz-Dg0"}}},
        {"disks", {{{"name", "Disk1"}}, {{"name", "Disk2"}}}},
        {"volumes", {{{"name", "V1"}, {"layout", "mirror"}, {"hint", "E:"}, {"id1", "01"},
                      {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 100}},
                                      {{"disk", "Disk2"}, {"start", 0}, {"size", 100}}}}},
                     {{"name", "V2"}, {"layout", "striped"},
                      {"partitions", {{{"disk", "Disk1"}, {"start", 100}, {"size", 100}},
                                      {{"disk", "Disk2"}, {"start", 100}, {"size", 100}}}}}}}};
    return strata_tools::ParseGroupDescription(description);
}

// A drive holding the written header and database area, the area moved to
// sector 8 so the whole drive stays small.
std::vector<unsigned char> CompactDrive() {
    const strata_tools::GroupDescription group = SmallGroup();
    const strata_tools::DiskImageWriter writer(group);
    std::vector<unsigned char> header = writer.PrivateHeaderSector(group.disks[0]);
    boost::endian::store_big_u64(&header.at(ldm_layout::kConfigStartOffset), kConfigStart);
    const std::vector<unsigned char> area = writer.DatabaseArea();
    std::vector<unsigned char> drive(kConfigStart * 512 + area.size(), 0);
    std::copy(header.begin(), header.end(), drive.begin() + 6 * 512);
    std::copy(area.begin(), area.end(), drive.begin() + kConfigStart * 512);
    return drive;
}

std::size_t RecordCount(const LDMDataBase& database) {
    return database.volumes.size() + database.components.size() + database.partitions.size() +
           database.disks.size() + database.diskGroups.size();
}

// Reads a drive image through the whole reader; returns its record count.
std::size_t ReadDrive(const std::vector<unsigned char>& bytes) {
    MemoryDiskAccess access;
    access.drives["d"].bytes = bytes;
    LDMDBParser parser(access);
    const DiskDatabaseMap result = parser.ReadDatabases(DeviceMap{{"a", "d"}});
    parser.GetDiskGuid("d");
    EXPECT_EQ(0, access.openFiles);
    std::size_t count = 0;
    for (const auto& entry : result) count += RecordCount(*entry.second);
    return count;
}

TEST(CorruptDatabases, TheIntactDriveReadsFully) {
    EXPECT_EQ(12u, ReadDrive(CompactDrive()));  // group, 2 disks, 2 volumes, 3 components, 4 partitions
}

TEST(CorruptDatabases, AreasCutShort) {
    const std::vector<unsigned char> drive = CompactDrive();
    const std::vector<unsigned char> area(drive.begin() + kConfigStart * 512, drive.end());
    for (std::size_t length = 0; length < area.size(); length += 61) {
        // Exact-size copies, so that any read past `length` is outside the buffer.
        std::vector<unsigned char> cut(area.begin(), area.begin() + length);
        for (std::uint32_t vmdb : {0u, 8704u, 0xFFFFFE00u}) {
            VBLKParser().Parse(cut.data(), vmdb, cut.size());
        }
    }
}

TEST(CorruptDatabases, BitFlipsInEveryRecord) {
    const std::vector<unsigned char> drive = CompactDrive();
    const std::size_t vmdb = kConfigStart * 512 + 17 * 512;
    for (std::size_t at = vmdb + 512; at < vmdb + 512 + 16 * 128; at += 5) {
        for (int bit : {0, 3, 7}) {
            std::vector<unsigned char> damaged = drive;
            damaged[at] ^= static_cast<unsigned char>(1u << bit);
            EXPECT_LE(ReadDrive(damaged), 13u);  // a flipped type byte may create one more
        }
    }
}

}  // namespace
