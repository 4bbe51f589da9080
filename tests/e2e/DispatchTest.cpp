// Whole queries through the host: dispatch, class tables, key properties.
#include "host/HostSession.h"
#include "tests/support/CapturedLog.h"
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

// Classes are served in list order, each by its collector (drive classes and
// disk groups by the drive collector); unknown and wrong-case names are
// ignored silently.
TEST_F(Dispatch, EachListedClassIsServedInListOrder) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string> > > cases = {
        {{"ORVA_DynamicExtent", "ORVA_MediaPresent", "ORVA_DiskPartition", "ORVA_LogicalDiskBasedOnExtent",
          "ORVA_DynamicExtent"},
         {"Dynamic Extent information..", "MediaPresent associations...", "Partition information..",
          "LogicalDiskBasedOnExtent associations...", "Dynamic Extent information.."}},
        {{"ORVA_NoSuchClass", "orva_logicaldisk", "ORVA_DiskDrive"}, {"Physical disk information.. ORVA_DiskDrive"}},
        {{"ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive", "ORVA_DisketteDrive", "ORVA_DynamicDiskGroup"},
         {"Physical disk information.. ORVA_CDROMDrive", "Physical disk information.. ORVA_DVDDrive",
          "Physical disk information.. ORVA_TapeDrive", "Physical disk information.. ORVA_DisketteDrive",
          "Physical disk information.. ORVA_DynamicDiskGroup"}}};
    for (const auto& c : cases) {
        CapturedLog log;
        session.Query(c.first);
        EXPECT_EQ(c.second, SectionMessages(log));
    }
    EXPECT_TRUE(session.Instances("ORVA_LogicalDiskBasedOnExtent").empty());
}

TEST_F(Dispatch, InformationInstancesCarryTheThreeKeyProperties) {
    session.Query({"ORVA_DiskDrive"});
    std::vector<InstanceRecord> drives = session.Instances("ORVA_DiskDrive");
    ASSERT_EQ(1u, drives.size());
    EXPECT_EQ("ORVA_DiskDrive", drives[0].Text("CreationClassName"));
    EXPECT_EQ("LAB-01", drives[0].Text("SystemName"));
    EXPECT_FALSE(drives[0].Text("SystemCreationClassName").empty());
}

}  // namespace
