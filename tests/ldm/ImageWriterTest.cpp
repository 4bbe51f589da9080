// Images written by strata-ldm decode to the group they were described as.
#include "collect/TextConversions.h"
#include "ldm/LDMDBParser.h"
#include "tests/ldm/RecordReading.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <stdexcept>

using namespace strata_col;
using namespace strata_tools;
using nlohmann::json;

namespace {

json FiveLayouts(int version, std::uint32_t sectorSize = 512) {
    const std::uint64_t unit = sectorSize / 512;
    json group = {
        {"sectorSize", sectorSize},
        {"diskSectors", 102400 / unit},
        {"group", {{"name", "Test-Dg0"}, {"version", version},
                   {"guid", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"}}},
        {"disks", json::array({{{"name", "Disk1"}, {"guid", "11111111-2222-3333-4444-555555555555"}},
                               {{"name", "Disk2"}}, {{"name", "Disk3"}}})},
        {"volumes", json::array()}};
    auto part = [unit](const char* disk, std::uint64_t start, std::uint64_t size) {
        return json{{"disk", disk}, {"start", start / unit}, {"size", size / unit}};
    };
    group["volumes"].push_back({{"name", "Simple"}, {"layout", "simple"}, {"hint", "E:"},
                                {"partitions", {part("Disk1", 0, 8192)}}});
    group["volumes"].push_back({{"name", "Spanned"}, {"layout", "spanned"},
                                {"partitions", {part("Disk1", 8192, 4096), part("Disk2", 0, 2048)}}});
    group["volumes"].push_back({{"name", "Striped"}, {"layout", "striped"}, {"stripeSize", 128},
                                {"partitions", {part("Disk2", 2048, 4096), part("Disk3", 0, 4096)}}});
    group["volumes"].push_back({{"name", "Mirror"}, {"layout", "mirror"}, {"hint", "H:"},
                                {"partitions", {part("Disk1", 12288, 2048), part("Disk3", 4096, 2048)}}});
    group["volumes"].push_back({{"name", "Raid"}, {"layout", "raid5"}, {"id2", "0999"},
                                {"childSize", "1000"},
                                {"partitions", {part("Disk1", 14336, 2048), part("Disk2", 6144, 2048),
                                                part("Disk3", 6144, 2048)}}});
    return group;
}

DiskDatabaseMap WriteAndRead(const json& description, const strata_test::TempFolder& folder) {
    const GroupDescription group = ParseGroupDescription(description);
    DiskImageWriter writer(group);
    DeviceMap devices;
    for (const DiskDescription& disk : group.disks) {
        writer.Write(disk.name, folder.File(disk.image));
        devices.insert({disk.name, folder.File(disk.image)});
    }
    ImageFileAccess access(group.sectorSize);
    return LDMDBParser(access).ReadDatabases(devices);
}

// The record named `name`; the test stops when there is none.
const RecordMap& ByName(const RecordTable& table, const std::string& name) {
    const RecordMap* record = strata_test::RecordNamed(table, name);
    if (record == nullptr) throw std::runtime_error("no record named " + name);
    return *record;
}

std::uint64_t Hex(const RecordMap& record, const char* key) {
    return record.count(key) ? HexTextToNumber(record.at(key)) : 0;
}

void ExpectFiveLayouts(const DiskDatabaseMap& databases, int version) {
    ASSERT_EQ(3u, databases.size());
    ASSERT_EQ(1u, databases.count("11111111-2222-3333-4444-555555555555"));
    for (const auto& entry : databases) {
        const DiskDatabase& db = *entry.second;
        EXPECT_EQ(5u, db.volumes.size());
        EXPECT_EQ(6u, db.components.size());  // the mirror has two
        EXPECT_EQ(10u, db.partitions.size());
        EXPECT_EQ(3u, db.disks.size());
        ASSERT_EQ(1u, db.diskGroups.size());
        EXPECT_EQ("Test-Dg0", db.diskGroups.begin()->second.at("Name"));
        EXPECT_EQ(version == 4 ? "45" : "35", db.diskGroups.begin()->second.at("RecordType"));
        EXPECT_EQ(8192u, Hex(ByName(db.volumes, "Simple"), "Size"));
        EXPECT_EQ("E:", ByName(db.volumes, "Simple").at("DriveHint"));
        EXPECT_EQ(6144u, Hex(ByName(db.volumes, "Spanned"), "Size"));
        EXPECT_EQ(8192u, Hex(ByName(db.volumes, "Striped"), "Size"));
        EXPECT_EQ(2u, Hex(ByName(db.volumes, "Mirror"), "NumberOfChildren"));
        EXPECT_EQ(4096u, Hex(ByName(db.volumes, "Raid"), "Size"));
        EXPECT_EQ("raid5", ByName(db.volumes, "Raid").at("VolumeType"));
        EXPECT_EQ("0999", ByName(db.volumes, "Raid").at("ID2"));
        EXPECT_EQ("1000", ByName(db.volumes, "Raid").at("ChildSize"));
        EXPECT_EQ(1u, Hex(ByName(db.components, "Striped-01"), "ComponentType"));
        EXPECT_EQ(3u, Hex(ByName(db.components, "Raid-01"), "ComponentType"));
        EXPECT_EQ(2u, Hex(ByName(db.components, "Spanned-01"), "NumberOfChildren"));
        const RecordMap& spannedTail = ByName(db.partitions, "Disk2-01");
        EXPECT_EQ(0u, Hex(spannedTail, "Start"));
        EXPECT_EQ(4096u, Hex(spannedTail, "VolumeOffset"));
        EXPECT_EQ("Disk2", db.disks.at(spannedTail.at("DiskID")).at("Name"));
        EXPECT_EQ(12288u, Hex(ByName(db.partitions, "Disk1-03"), "Start"));
        // Every disk's partitions are found from its private-header GUID.
        EXPECT_EQ(4u, db.PartitionsOfDisk("11111111-2222-3333-4444-555555555555").size());
    }
}

TEST(ImageWriter, VersionFourGroupDecodesAsDescribed) {
    strata_test::TempFolder folder;
    const DiskDatabaseMap databases = WriteAndRead(FiveLayouts(4), folder);
    ExpectFiveLayouts(databases, 4);
    const LDMDataBase& db = *databases.begin()->second;
    EXPECT_EQ("1111111122223333444455555555555500000000000000000000000000000000",
              std::string(ByName(db.disks, "Disk1").at("DiskID")).erase(32, 1));
}

TEST(ImageWriter, VersionThreeGroupKeepsGuidTextsAndSurvivesLongNames) {
    json description = FiveLayouts(3);
    // A device name long enough to continue the disk record in a second block.
    description["disks"][1]["alternateName"] =
        "SCSI\\DISK&VEN_RED_HAT&PROD_VIRTIO&REV_0001\\4&1618751F&0&000200";
    strata_test::TempFolder folder;
    const DiskDatabaseMap databases = WriteAndRead(description, folder);
    ExpectFiveLayouts(databases, 3);
    const LDMDataBase& db = *databases.begin()->second;
    EXPECT_EQ("11111111-2222-3333-4444-555555555555", ByName(db.disks, "Disk1").at("DiskID"));
    EXPECT_EQ(0u, ByName(db.disks, "Disk2").count("AlternateName"));
    EXPECT_EQ(1u, ByName(db.disks, "Disk2").count("DiskID"));
}

TEST(ImageWriter, LargeSectorDisksDecodeWithTheirSectorSize) {
    strata_test::TempFolder folder;
    const DiskDatabaseMap databases = WriteAndRead(FiveLayouts(4, 4096), folder);
    ASSERT_EQ(3u, databases.size());
    const LDMDataBase& db = *databases.begin()->second;
    EXPECT_EQ(5u, db.volumes.size());
    EXPECT_EQ(1024u, Hex(ByName(db.volumes, "Simple"), "Size"));

    // Read with the wrong sector size, the private header is not found.
    ImageFileAccess wrong(512);
    EXPECT_EQ("", LDMDBParser(wrong).GetDiskGuid(folder.File("Disk1.img")));
}

TEST(GroupDescriptionErrors, BadDescriptionsAreRefusedWithTheirReason) {
    const auto refused = [](json description, const std::string& reason) {
        try {
            ParseGroupDescription(description);
            ADD_FAILURE() << "accepted: " << description.dump();
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string::npos, std::string(error.what()).find(reason)) << error.what();
        }
    };
    json good = FiveLayouts(4);
    refused(json::array(), "JSON object");
    json noDisks = good;
    noDisks.erase("disks");
    refused(noDisks, "disks");
    json shortRaid = good;
    shortRaid["volumes"][4]["partitions"].erase(2);
    refused(shortRaid, "number of partitions");
    const struct {
        const char* key;
        json value;
        const char* reason;
        bool gpt;  // the first disk made a GPT disk first
    } mistakes[] = {
        {"/volumes/0/partitions/0/disk", "Disk7", "unknown disk", false},
        {"/volumes/0/partitions/0/size", 200000, "does not fit", false},
        {"/volumes/0/layout", "raid6", "raid6", false},
        {"/group/version", 5, "version", false},
        {"/disks/0/style", "apm", "apm", false},
        {"/disks/0/dataStart", 6, "over its private header", false},
        {"/disks/0/dataStart", 4000, "before the end of its reserved partition", true},  // it ends at 4129
        {"/disks/0/sectors", 6144 + 33, "too small for its GPT partitions", true},  // no room for the backup
        {"/volumes/0/partitions/0/size", 102400 - 6144 - 32, "does not fit", true},  // one more than fits
    };
    for (const auto& c : mistakes) {
        json description = good;
        if (c.gpt) description["disks"][0]["style"] = "gpt";
        description[json::json_pointer(c.key)] = c.value;
        refused(description, c.reason);
    }

    // Numbers that would wrap or be cut short, names that leave the target folder.
    const struct {
        const char* key;
        json value;
        const char* reason;
    } hostile[] = {
        {"/sectorSize", 4294967808ull, "sectorSize must be a power of two"},  // 2^32 + 512, not 512
        {"/sectorSize", 1000, "sectorSize must be a power of two"},
        {"/configSectors", 1ull << 40, "configSectors must be a number from 0 to 131072"},
        {"/disks/0/dataStart", 18446744073709551600ull, "disks[0].dataStart must be a number"},
        {"/volumes/0/partitions/0/start", 18446744073709551615ull, "volumes[0].partitions[0].start must be"},
        {"/volumes/0/partitionType", 256, "volumes[0].partitionType must be a number from 0 to 255"},
        {"/disks/0/image", "../escaped.img", "disks[0].image must name a file inside the target folder"},
        {"/disks/0/image", "/tmp/escaped.img", "disks[0].image must name a file inside the target folder"},
        {"/disks/0", 7, "disks[0] must be a JSON object"},
        {"/volumes/0/name", std::string(253, 'V'), "volumes[0].name must be at most 252 characters long"},
        {"/disks/0/name", std::string(253, 'D'), "disks[0].name must be at most 252 characters long"},
        // A misspelt key would leave its default in place.
        {"/sectorSise", 4096, "sectorSise is not a key of this description"},
        {"/group/versoin", 3, "group.versoin is not a key"},
        {"/disks/0/sector", 4096, "disks[0].sector is not a key"},
        {"/volumes/0/stripesize", 64, "volumes[0].stripesize is not a key"},
        {"/volumes/0/partitions/0/Start", 64, "volumes[0].partitions[0].Start is not a key"},
    };
    for (const auto& c : hostile) {
        json description = good;
        description["diskSectors"] = 1ull << 41;  // room for everything
        description[json::json_pointer(c.key)] = c.value;
        refused(description, c.reason);
    }
}

}  // namespace
