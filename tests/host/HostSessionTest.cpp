// Queries through a session with the fake plug-in module, the system name and
// the assertion handler.
#include "host/HostSession.h"
#include "host/SystemName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using NTELVA20::ContextMap;
using NTELVA20::ICIMNamespace;
using NTELVA20::TTelvaException;
using telva_host::HostSession;
using testing::ElementsAre;

namespace {

std::vector<std::string> Served(const HostSession& session) {
    std::vector<std::string> served;
    for (const telva_host::LogLine& line : session.LogLines()) {
        if (line.level == 3) served.push_back(line.text);
    }
    return served;
}

TEST(HostSession, QuerySendsSchemaAndNameOnlyClassesInOrderAndResetEmptiesAll) {
    HostSession session;
    EXPECT_THROW(session.Query({"ORVA_DiskDrive"}), std::runtime_error);  // no plug-in yet
    EXPECT_THROW(session.LoadPlugin("/nonexistent/strata.pi.so"), std::runtime_error);
    session.LoadPlugin(STRATA_BIN_DIR "/fake.pi.so");
    session.Reset();
    session.Query({"ORVA_DiskDrive", "orva_diskdrive", "NoSuchClass", "ORVA_LogicalDisk", "ORVA_MediaPresent"});
    EXPECT_THAT(Served(session), ElementsAre("serving ORVA_DiskDrive", "serving orva_diskdrive", "serving NoSuchClass",
                                             "serving ORVA_LogicalDisk", "serving ORVA_MediaPresent"));
    const std::vector<telva_host::InstanceRecord> drives = session.Instances("ORVA_DiskDrive");
    ASSERT_EQ(1u, drives.size());
    EXPECT_EQ("PCI\\DISK0", drives[0].Text("DeviceID"));
    EXPECT_EQ(nullptr, drives[0].Find("MediaType"));
    EXPECT_EQ("", drives[0].Text("MediaType"));
    EXPECT_EQ("root/strata", drives[0].path.GetNamespace());
    EXPECT_EQ(1u, session.Instances("ORVA_MediaAccessDevice", true).size());
    EXPECT_TRUE(session.Instances("ORVA_MediaAccessDevice").empty());
    EXPECT_EQ(3u, session.InstanceCount());

    session.Reset();
    EXPECT_EQ(0u, session.InstanceCount());
    EXPECT_TRUE(session.LogLines().empty());
    session.Query({"ORVA_DiskDrive"});  // the same key path again, in the fresh namespace
    EXPECT_EQ(1u, session.InstanceCount());
}

// Registration itself is exercised by every module load; these are its refusals.
TEST(PluginManager, RefusesNoCallbacksAndHasNoClasses) {
    boost::shared_ptr<NTELVA20::TPluginManagerNamespace> manager =
        boost::dynamic_pointer_cast<NTELVA20::TPluginManagerNamespace>(NTELVA20::TRootObject::GetPluginManager());
    ASSERT_TRUE(manager);
    EXPECT_THROW(manager->GetClass("ORVA_DiskDrive", ContextMap()), TTelvaException);
    EXPECT_THROW(manager->RegisterPlugin(nullptr), TTelvaException);
}

TEST(SchemaHelper, AnUnnamedMachineIsNamedAfterTheHost) {
    boost::shared_ptr<ICIMNamespace> none;
    telva_host::SetSystemName("TESTHOST");
    EXPECT_EQ("TESTHOST", NTELVA20::TCIMSchemaHelper::GetSystemName(none));
    telva_host::SetSystemName("");
    EXPECT_NE("TESTHOST", NTELVA20::TCIMSchemaHelper::GetSystemName(none));
    EXPECT_FALSE(NTELVA20::TCIMSchemaHelper::GetSystemName(none).empty());
}

TEST(AssertionHandler, EmptyHostPointerBecomesAHostFailure) {
    boost::shared_ptr<NTELVA20::ICIMProperty> missing;
    try {
        missing->GetValue(ContextMap());
        FAIL() << "no exception";
    } catch (const TTelvaException& error) {
        EXPECT_EQ(0u, std::string(error.what()).find("empty pointer dereferenced: ")) << error.what();
    }
    boost::shared_ptr<NTELVA20::ICIMInstance> none;
    EXPECT_THROW(*none, TTelvaException);
}

}  // namespace
