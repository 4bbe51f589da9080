// Whole queries through the host: dispatch, class tables, key properties.
#include "host/HostSession.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>

using strata_test::CapturedLog;
using telva_host::HostSession;
using telva_host::InstanceRecord;

namespace {

const char* const kSectionMessages[] = {
    "Logical disk information..", "Dynamic Extent information..", "Partition information..",
    "MediaPresent associations...", "PartitionPresent associations...",
    "LogicalDiskBasedOnExtent associations...", "LogicalDiskBasedOnPartition associations...",
    "DynamicVolumeBasedOnExtent associations... ", "DynamicExtentBasedOn associations... ",
    "DriveInDiskGroup associations... ", "DynamicExtentInDiskGroup associations... "};

bool IsSectionMessage(const std::string& text) {
    if (text.rfind("Physical disk information.. ", 0) == 0) return true;
    return std::find(std::begin(kSectionMessages), std::end(kSectionMessages), text) !=
           std::end(kSectionMessages);
}

std::vector<std::string> SectionMessages(const CapturedLog& log) {
    std::vector<std::string> sections;
    for (const std::string& text : log.Texts(3)) {
        if (IsSectionMessage(text)) sections.push_back(text);
    }
    return sections;
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override {
        strata_sim::Machine machine;
        machine.name = "LAB-01";
        machine.devices.push_back(strata_test::FixedDisk(0));
        strata_sim::SetMachine(machine);
        session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    }

    HostSession session;
};

TEST_F(Dispatch, EmptyListCommitsNothingAndServesNoClass) {
    CapturedLog log;
    session.Query({});
    EXPECT_EQ(0u, session.InstanceCount());
    EXPECT_TRUE(SectionMessages(log).empty());
    // Both collectors still listed the disks once each.
    EXPECT_EQ(2, log.CountContaining("Unable to enumerate the device information."));
}

TEST_F(Dispatch, MixedListIsServedInListOrder) {
    CapturedLog log;
    session.Query({"ORVA_DynamicExtent", "ORVA_MediaPresent", "ORVA_DiskPartition",
                   "ORVA_LogicalDiskBasedOnExtent", "ORVA_DynamicExtent"});
    EXPECT_EQ(std::vector<std::string>({"Dynamic Extent information..",
                                        "MediaPresent associations...", "Partition information..",
                                        "LogicalDiskBasedOnExtent associations...",
                                        "Dynamic Extent information.."}),
              SectionMessages(log));
    EXPECT_TRUE(session.Instances("ORVA_LogicalDiskBasedOnExtent").empty());
}

TEST_F(Dispatch, UnknownAndWrongCaseNamesAreIgnoredSilently) {
    CapturedLog log;
    session.Query({"ORVA_NoSuchClass", "orva_logicaldisk", "ORVA_DiskDrive"});
    EXPECT_EQ(std::vector<std::string>({"Physical disk information.. ORVA_DiskDrive"}),
              SectionMessages(log));
}

TEST_F(Dispatch, DriveClassesAndDiskGroupsGoToTheDriveCollector) {
    CapturedLog log;
    session.Query({"ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive", "ORVA_DisketteDrive",
                   "ORVA_DynamicDiskGroup"});
    EXPECT_EQ(std::vector<std::string>({"Physical disk information.. ORVA_CDROMDrive",
                                        "Physical disk information.. ORVA_DVDDrive",
                                        "Physical disk information.. ORVA_TapeDrive",
                                        "Physical disk information.. ORVA_DisketteDrive",
                                        "Physical disk information.. ORVA_DynamicDiskGroup"}),
              SectionMessages(log));
}

TEST_F(Dispatch, InformationInstancesCarryTheThreeKeyProperties) {
    session.Query({"ORVA_DiskDrive"});
    std::vector<InstanceRecord> drives = session.Instances("ORVA_DiskDrive");
    ASSERT_EQ(1u, drives.size());
    EXPECT_EQ("ORVA_DiskDrive", drives[0].Text("CreationClassName"));
    EXPECT_EQ("LAB-01", drives[0].Text("SystemName"));
    EXPECT_FALSE(drives[0].Text("SystemCreationClassName").empty());
}

// Every disk of a group carries the group's whole database: each volume is
// reported once, from the first disk.
TEST(DynamicExtents, TenFixtureDisksGiveSixVolumes) {
    STRATA_REQUIRE_FIXTURES();
    strata_sim::Machine machine;
    std::uint32_t number = 0;
    for (const std::string& image : strata_test::FixtureImageNames()) {
        machine.devices.push_back(strata_test::FixedDisk(number++, strata_test::FixtureImage(image)));
    }
    strata_sim::SetMachine(machine);
    HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    session.Query({"ORVA_DynamicExtent"});

    std::map<std::string, std::string> sizeByName;
    for (const InstanceRecord& extent : session.Instances("ORVA_DynamicExtent")) {
        EXPECT_EQ("4", extent.Text("Access"));
        EXPECT_EQ(extent.Text("DeviceID"), extent.Text("ElementName"));
        EXPECT_EQ(2u, extent.Text("PartitionType").size());
        sizeByName[extent.Text("Name")] = extent.Text("Size");
    }
    std::map<std::string, std::string> expected;
    for (const auto& volume : strata_test::FixtureFacts()["diskgroups"][0]["volumes"]) {
        expected[volume["name"].get<std::string>()] = std::to_string(volume["size"].get<long long>());
    }
    EXPECT_EQ(6u, session.Instances("ORVA_DynamicExtent").size());
    EXPECT_EQ(expected, sizeByName);
}

}  // namespace
