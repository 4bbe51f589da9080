// Registration, queries through a session, the core logger, the system name
// and the assertion handler, with an in-process plug-in double.
#include "host/HostSession.h"
#include "host/SystemName.h"

#include <gtest/gtest.h>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMNamespace;
using NTELVA20::TTelvaException;
using telva_host::HostSession;

namespace {

// Records what it is asked and commits one drive per ORVA_DiskDrive request.
class RecordingPlugin : public NTELVA20::IPluginCallbacks, public NTELVA20::IPluginBasicQueryCallbacks {
public:
    long GetStatus() override { return 0; }
    std::string GetName() override { return "Recording"; }
    std::string GetVersion() override { return "1"; }
    std::string GetSecondaryVersion() override { return "1"; }
    void Release() override { ++released; }
    void Notify1(void*) override {}
    void Notify2(void*) override {}

    void Query(boost::shared_ptr<ICIMNamespace> nameSpace,
               const std::vector<boost::shared_ptr<ICIMClass> >& classes) override {
        for (const auto& cimClass : classes) {
            const std::string name = cimClass->GetClassName(ContextMap());
            asked.push_back(name + (cimClass->IsAssociation(ContextMap()) ? " (association)" : ""));
            NTELVA20::TRootObject::GetCoreLogger()->Write(3, "asked " + name);
            if (name != "ORVA_DiskDrive") continue;
            boost::shared_ptr<NTELVA20::ICIMInstance> drive = cimClass->CreateInstance(ContextMap());
            drive->SetProperty("SystemCreationClassName",
                               NTELVA20::TCIMValue(NTELVA20::TCIMSchemaHelper::GetSystemCreationClassName(nameSpace)),
                               ContextMap());
            drive->SetProperty("SystemName", NTELVA20::TCIMValue(NTELVA20::TCIMSchemaHelper::GetSystemName(nameSpace)),
                               ContextMap());
            drive->SetProperty("CreationClassName", NTELVA20::TCIMValue(name), ContextMap());
            drive->SetProperty("DeviceID", NTELVA20::TCIMValue("disk" + std::to_string(asked.size())), ContextMap());
            drive->Commit(ContextMap());
        }
    }

    std::vector<std::string> asked;
    int released = 0;
};

TEST(HostSession, QuerySendsSchemaClassesAndNameOnlyClassesInOrder) {
    RecordingPlugin plugin;
    HostSession session;
    session.UsePlugin(&plugin);
    session.Query({"ORVA_DiskDrive", "ORVA_MediaPresent", "orva_diskdrive", "NoSuchClass", "ORVA_DiskDrive"});
    EXPECT_EQ((std::vector<std::string>{"ORVA_DiskDrive", "ORVA_MediaPresent (association)", "orva_diskdrive",
                                        "NoSuchClass", "ORVA_DiskDrive"}),
              plugin.asked);

    const std::vector<telva_host::InstanceRecord> drives = session.Instances("ORVA_DiskDrive");
    ASSERT_EQ(2u, drives.size());
    EXPECT_EQ("disk1", drives[0].Text("DeviceID"));
    EXPECT_EQ("disk5", drives[1].Text("DeviceID"));
    EXPECT_EQ("ORVA_ComputerSystem", drives[0].Text("SystemCreationClassName"));
    EXPECT_EQ(nullptr, drives[0].Find("Size"));
    EXPECT_EQ("", drives[0].Text("Size"));
    EXPECT_EQ("root/strata", drives[0].path.GetNamespace());
    EXPECT_EQ(2u, session.Instances("ORVA_MediaAccessDevice", true).size());
    EXPECT_TRUE(session.Instances("ORVA_MediaAccessDevice").empty());
    EXPECT_EQ(2u, session.InstanceCount());
}

TEST(HostSession, ResetEmptiesRepositoryAndLogAndAPluginIsNeeded) {
    RecordingPlugin plugin;
    HostSession session;
    EXPECT_THROW(session.Query({"ORVA_DiskDrive"}), std::runtime_error);
    EXPECT_THROW(session.LoadPlugin("/nonexistent/strata.pi.so"), std::runtime_error);
    session.UsePlugin(&plugin);
    session.Reset();
    session.Query({"ORVA_DiskDrive"});
    ASSERT_EQ(1u, session.LogLines().size());
    EXPECT_EQ(3u, session.LogLines()[0].level);
    EXPECT_EQ("asked ORVA_DiskDrive", session.LogLines()[0].text);
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
