// Instance building and logging against the stand-in host's repository.
#include "collect/InstanceBuilder.h"
#include "collect/LogMessage.h"
#include "host/HostSession.h"

#include <gtest/gtest.h>

using namespace strata_col;
using telva_host::CoreLogger;
using telva_host::HostSession;
using telva_host::LogLine;

namespace {

class InstanceBuilding : public ::testing::Test {
protected:
    void SetUp() override {
        LogMessage::SetEnabled(1);
        CoreLogger::Instance().Clear();
    }
    void TearDown() override { LogMessage::SetEnabled(1); }

    static PropertyMap LogicalDisk(const std::string& deviceId) {
        PropertyMap record;
        record.insert({"DeviceID", deviceId});
        record.insert({"SystemCreationClassName", "ORVA_ComputerSystem"});
        record.insert({"CreationClassName", "ORVA_LogicalDisk"});
        record.insert({"SystemName", "LAB"});
        return record;
    }

    static bool Logged(unsigned level, const std::string& text) {
        for (const LogLine& line : CoreLogger::Instance().Lines()) {
            if (line.level == level && line.text == text) return true;
        }
        return false;
    }

    HostSession session;
};

TEST_F(InstanceBuilding, EmptyMapCommitsNothing) {
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), PropertyMap());
    BuildAssociationInstance(session.ClassFor("ORVA_MediaPresent"), ReferenceMap());
    EXPECT_EQ(0u, session.InstanceCount());
    EXPECT_TRUE(CoreLogger::Instance().Lines().empty());
}

TEST_F(InstanceBuilding, ValuesAreTypedAndLaterEntriesWin) {
    PropertyMap record = LogicalDisk("C:\\");
    record.insert({"TotalSpace", "100"});
    record.insert({"TotalSpace", "4096"});  // the database's size is set last
    record.insert({"OtherIdentifyingInfo", "System ,,(Boot),"});
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), record);

    std::vector<telva_host::InstanceRecord> disks = session.Instances("ORVA_LogicalDisk");
    ASSERT_EQ(1u, disks.size());
    EXPECT_EQ("4096", disks[0].Text("TotalSpace"));
    const NTELVA20::TCIMValue* info = disks[0].Find("OtherIdentifyingInfo");
    ASSERT_NE(nullptr, info);
    ASSERT_TRUE(info->IsArray());
    ASSERT_EQ(2u, info->GetElements().size());  // empty pieces are dropped
    EXPECT_EQ("System ", info->GetElements()[0].ToString());
    EXPECT_EQ("(Boot)", info->GetElements()[1].ToString());
}

TEST_F(InstanceBuilding, EmptyArrayTextGivesAnArrayOfNoElements) {
    PropertyMap record = LogicalDisk("D:\\");
    record.insert({"OtherIdentifyingInfo", ""});
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), record);
    std::vector<telva_host::InstanceRecord> disks = session.Instances("ORVA_LogicalDisk");
    ASSERT_EQ(1u, disks.size());
    const NTELVA20::TCIMValue* info = disks[0].Find("OtherIdentifyingInfo");
    ASSERT_NE(nullptr, info);
    EXPECT_TRUE(info->GetElements().empty());
}

TEST_F(InstanceBuilding, FailingPropertyIsLoggedAndTheRestCommitted) {
    PropertyMap record = LogicalDisk("E:\\");
    record.insert({"DriveType", "three"});
    record.insert({"NoSuchProperty", "x"});
    record.insert({"FileSystemName", "NTFS"});
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), record);

    std::vector<telva_host::InstanceRecord> disks = session.Instances("ORVA_LogicalDisk");
    ASSERT_EQ(1u, disks.size());
    EXPECT_EQ("NTFS", disks[0].Text("FileSystemName"));
    EXPECT_EQ(nullptr, disks[0].Find("DriveType"));
    EXPECT_TRUE(Logged(3, "Error processing property DriveType. With value three from class ORVA_LogicalDisk"));
    EXPECT_TRUE(Logged(3, "Error processing property NoSuchProperty. With value x from class ORVA_LogicalDisk"));
    // Each failure is followed by the host's own text at level 0.
    std::vector<LogLine> lines = CoreLogger::Instance().Lines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[1].level);
    EXPECT_FALSE(lines[1].text.empty());
}

TEST_F(InstanceBuilding, RefusedCommitIsLoggedAndTheNextInstanceBuilt) {
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), LogicalDisk("C:\\"));
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), LogicalDisk("C:\\"));
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), LogicalDisk("D:\\"));
    EXPECT_EQ(2u, session.Instances("ORVA_LogicalDisk").size());
    std::vector<LogLine> lines = CoreLogger::Instance().Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(3u, lines[0].level);
    EXPECT_EQ(0u, lines[0].text.find("Attempted creation of instance for ORVA_LogicalDisk threw exception "));
}

TEST_F(InstanceBuilding, AssociationFailureAbandonsThatInstanceOnly) {
    BuildInstance(session.ClassFor("ORVA_LogicalDisk"), LogicalDisk("C:\\"));
    NTELVA20::TCIMReference disk = session.Instances("ORVA_LogicalDisk")[0].path;

    ReferenceMap broken;
    broken.insert({"NoSuchRole", NTELVA20::TCIMValue(disk)});
    BuildAssociationInstance(session.ClassFor("ORVA_LogicalDiskBasedOnExtent"), broken);
    EXPECT_TRUE(session.Instances("ORVA_LogicalDiskBasedOnExtent").empty());
    ASSERT_EQ(1u, CoreLogger::Instance().Lines().size());
    EXPECT_EQ(0u, CoreLogger::Instance().Lines()[0].text.find(
                      "Attempted creation of instance for ORVA_LogicalDiskBasedOnExtent threw exception "));
}

TEST_F(InstanceBuilding, LoggingSwitchAndEmptyTexts) {
    LogMessage* log = LogMessage::Instance();
    EXPECT_EQ(log, LogMessage::Instance());
    log->WriteLevel3("");
    EXPECT_TRUE(CoreLogger::Instance().Lines().empty());
    LogMessage::SetEnabled(0);
    log->WriteLevel3("not written");
    EXPECT_TRUE(CoreLogger::Instance().Lines().empty());
    LogMessage::SetEnabled(1);
    log->WriteLevel4("written");
    EXPECT_TRUE(Logged(4, "written"));
}

TEST_F(InstanceBuilding, SystemErrorTexts) {
    LogMessage* log = LogMessage::Instance();
    EXPECT_FALSE(log->SystemErrorText(21).empty());  // ERROR_NOT_READY
    EXPECT_EQ("", log->SystemErrorText(0xDEADBEEF));
    log->WriteSystemError(0xDEADBEEF);
    EXPECT_TRUE(CoreLogger::Instance().Lines().empty());
    log->WriteSystemError(21);
    ASSERT_EQ(1u, CoreLogger::Instance().Lines().size());
    EXPECT_EQ(4u, CoreLogger::Instance().Lines()[0].level);
}

}  // namespace
