// The ten images Windows wrote decode to what the independent reader found.
#include "collect/TextConversions.h"
#include "ldm/LDMDBParser.h"
#include "platform/sim/SimMachine.h"
#include "tests/ldm/RecordReading.h"
#include "tests/support/Fixtures.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <set>
#include <nlohmann/json.hpp>

using namespace strata_col;
using nlohmann::json;

namespace {

using strata_test::ImpliedLayout;
using strata_test::RecordNamed;
using strata_test::RecordNumber;
using strata_test::RecordText;

class FixtureImages : public ::testing::Test {
protected:
    void SetUp() override {
        STRATA_REQUIRE_FIXTURES();
        strata_tools::ImageFileAccess access(512);
        databases_ = LDMDBParser(access).ReadDatabases(strata_test::FixtureDevices());
        group_ = strata_test::FixtureFacts()["diskgroups"][0];
    }
    DiskDatabaseMap databases_;
    json group_;
};

TEST_F(FixtureImages, EveryImageGivesOneEntryWithTheSameRecords) {
    ASSERT_EQ(10u, databases_.size());
    const LDMDataBase& first = *databases_.begin()->second;
    for (const auto& entry : databases_) {
        EXPECT_EQ(first.volumes, entry.second->volumes) << entry.first;
        EXPECT_EQ(first.components, entry.second->components) << entry.first;
        EXPECT_EQ(first.partitions, entry.second->partitions) << entry.first;
        EXPECT_EQ(first.disks, entry.second->disks) << entry.first;
        EXPECT_EQ(first.diskGroups, entry.second->diskGroups) << entry.first;
        EXPECT_EQ(first.partitionsByDiskName, entry.second->partitionsByDiskName) << entry.first;
    }
    std::set<std::string> guids;
    for (const json& disk : group_["disks"]) guids.insert(disk["guid"].get<std::string>());
    for (const auto& entry : databases_) EXPECT_EQ(1u, guids.count(entry.first)) << entry.first;
}

TEST_F(FixtureImages, GroupAndDisksMatchTheFactsAndEachImageNamesItsOwnDisk) {
    const LDMDataBase& database = *databases_.begin()->second;
    ASSERT_EQ(1u, database.diskGroups.size());
    const RecordMap& group = database.diskGroups.begin()->second;
    EXPECT_EQ(group_["name"], RecordText(group, "Name"));
    EXPECT_EQ(group_["guid"], RecordText(group, "DiskGroupID"));
    EXPECT_EQ("35", RecordText(group, "RecordType"));

    EXPECT_EQ(group_["disks"].size(), database.disks.size());
    strata_tools::ImageFileAccess access(512);
    LDMDBParser parser(access);
    for (const json& fact : group_["disks"]) {
        const std::string name = fact["name"];
        const RecordMap* disk = RecordNamed(database.disks, name);
        ASSERT_NE(nullptr, disk) << name;
        EXPECT_EQ(fact["guid"], RecordText(*disk, "DiskID")) << name;
        EXPECT_EQ(fact["guid"], database.diskGuidByName.at(name));
        EXPECT_EQ(fact["guid"], parser.GetDiskGuid(strata_test::FixtureImage(fact["device"])));
    }
}

TEST_F(FixtureImages, VolumesMatchTheFactsInSizeHintAndLayout) {
    const LDMDataBase& database = *databases_.begin()->second;
    EXPECT_EQ(group_["volumes"].size(), database.volumes.size());
    for (const json& fact : group_["volumes"]) {
        const std::string name = fact["name"];
        const RecordMap* volume = RecordNamed(database.volumes, name);
        ASSERT_NE(nullptr, volume) << name;
        EXPECT_EQ(fact["size"].get<std::uint64_t>(), RecordNumber(*volume, "Size")) << name;
        EXPECT_EQ(fact["hint"], RecordText(*volume, "DriveHint")) << name;
        EXPECT_EQ(fact["type"], ImpliedLayout(database, *volume)) << name;
        EXPECT_EQ(NormalizedGuid(fact["guid"]), RecordText(*volume, "VolumeID")) << name;

        // Each of its partitions belongs to one of its components.
        for (const json& partName : fact["partitions"]) {
            const RecordMap* partition = RecordNamed(database.partitions, partName);
            ASSERT_NE(nullptr, partition) << partName;
            const RecordMap& component = database.components.at(RecordText(*partition, "ParentID"));
            EXPECT_EQ(RecordText(*volume, "ObjectID"), RecordText(component, "ParentID")) << partName;
        }
    }
}

TEST_F(FixtureImages, PartitionsMatchTheFactsAndLieOnTheirDisks) {
    const DiskDatabase& database = *databases_.begin()->second;
    EXPECT_EQ(group_["partitions"].size(), database.partitions.size());
    for (const json& fact : group_["partitions"]) {
        const std::string name = fact["name"];
        const RecordMap* partition = RecordNamed(database.partitions, name);
        ASSERT_NE(nullptr, partition) << name;
        EXPECT_EQ(fact["start"].get<std::uint64_t>(), RecordNumber(*partition, "Start")) << name;
        EXPECT_EQ(fact["size"].get<std::uint64_t>(), RecordNumber(*partition, "Size")) << name;
        const std::string disk = RecordText(database.disks.at(RecordText(*partition, "DiskID")), "Name");
        EXPECT_EQ(fact["disk"], disk) << name;
        std::vector<std::string> onDisk;
        for (const DiskPartitionRef& placed : database.PartitionsOfDisk(database.diskGuidByName.at(disk))) {
            onDisk.push_back(*placed.objectId);
        }
        EXPECT_EQ(1, std::count(onDisk.begin(), onDisk.end(), RecordText(*partition, "ObjectID"))) << name;
    }
}

// The plug-in's own path: the platform's raw access on a simulated machine
// whose ten disks are the images.
TEST_F(FixtureImages, ThePlatformPathReadsTheSameDatabases) {
    strata_sim::Machine machine;
    std::uint32_t number = 0;
    for (const std::string& name : strata_test::FixtureImageNames()) {
        strata_sim::Device device;
        device.instanceId = "SCSI\\DISK&VEN_STRATA\\" + std::to_string(number);
        device.deviceNumber = number++;
        device.image = strata_test::FixtureImage(name);
        machine.devices.push_back(device);
    }
    strata_sim::SetMachine(machine);
    DeviceMap devices;
    for (const strata_sim::Device& device : strata_sim::CurrentMachine().devices) {
        devices.insert({device.instanceId, device.devicePath});
    }
    LDMDBParser parser;
    const DiskDatabaseMap databases = parser.ReadDatabases(devices);
    EXPECT_EQ(0, strata_sim::OpenRawFileCount());
    EXPECT_EQ(0, strata_sim::OpenHandleCount());
    ASSERT_EQ(databases_.size(), databases.size());
    for (const auto& entry : databases_) {
        ASSERT_EQ(1u, databases.count(entry.first));
        const LDMDataBase& read = *databases.at(entry.first);
        EXPECT_EQ(entry.second->volumes, read.volumes);
        EXPECT_EQ(entry.second->partitions, read.partitions);
        EXPECT_EQ(entry.second->disks, read.disks);
        EXPECT_EQ(entry.second->partitionsByDiskName, read.partitionsByDiskName);
    }
    const strata_sim::Device first = strata_sim::CurrentMachine().devices.front();
    EXPECT_FALSE(parser.GetDiskGuid(first.devicePath).empty());
    strata_sim::ResetMachine();
}

}  // namespace
