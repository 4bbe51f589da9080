// The plug-in module under the Windows loader: registration from DllMain, and
// host failures crossing between modules that each carry their own static
// C++ run-time (telvacore.dll, strata.pi.dll and this program).
#include "host/HostSession.h"
#include "host/PluginRegistry.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;

namespace {

const char kPluginPath[] = STRATA_BIN_DIR "/strata.pi.dll";

bool LogHas(const telva_host::HostSession& session, const std::string& text) {
    for (const telva_host::LogLine& line : session.LogLines()) {
        if (line.text.find(text) != std::string::npos) return true;
    }
    return false;
}

// A class that looks like ORVA_LogicalDisk to the plug-in but whose
// CreateInstance fails inside telvacore.dll: the host failure is thrown by
// one run-time, passes through this program's frames and must be caught by
// the plug-in's.
class FailingLogicalDiskClass : public ICIMClass {
public:
    explicit FailingLogicalDiskClass(boost::shared_ptr<ICIMNamespace> nameSpace)
        : nameSpace_(nameSpace), name_("ORVA_LogicalDisk") {}

    const std::string& GetClassName(ContextMap) override { return name_; }
    boost::shared_ptr<ICIMNamespace> GetNamespace(ContextMap) override { return nameSpace_; }
    bool IsAssociation(ContextMap) override { return false; }
    boost::shared_ptr<ICIMInstance> CreateInstance(ContextMap) override {
        ++createCalls;
        // Not a uint32: the host's conversion throws.
        TCIMValue value(TCIMValue::TCIMType("uint32"), "not a number", nameSpace_);
        return boost::shared_ptr<ICIMInstance>();
    }
    void EnumerateInstances(NTELVA20::TInstanceCallback, int, ContextMap) override {}

    int createCalls = 0;

private:
    boost::shared_ptr<ICIMNamespace> nameSpace_;
    std::string name_;
};

// Loads the plug-in once for the whole program, as the host does.
telva_host::HostSession& LoadedSession() {
    static telva_host::HostSession* session = [] {
        telva_host::HostSession* created = new telva_host::HostSession();
        created->LoadPlugin(kPluginPath);
        return created;
    }();
    return *session;
}

}  // namespace

TEST(WindowsModule, LoadingRegistersExactlyOneCallbackObject) {
    telva_host::HostSession& session = LoadedSession();
    ASSERT_EQ(1u, session.Registered().size());
    NTELVA20::IPluginCallbacks* plugin = session.Plugin();
    EXPECT_EQ("Strata Information Collector", plugin->GetName());
    EXPECT_EQ("1.0", plugin->GetVersion());
    EXPECT_EQ("1.0", plugin->GetSecondaryVersion());
    EXPECT_EQ(0, plugin->GetStatus());
    EXPECT_NE(nullptr, telva_host::QuerySide(plugin));
}

TEST(WindowsModule, ThreadsAndRepeatedLoadsRegisterNothingMore) {
    LoadedSession();
    const std::size_t before = telva_host::PluginRegistry::Instance().Count();

    // The loader calls DllMain for every thread that starts and ends.
    std::thread worker([] {});
    worker.join();
    EXPECT_EQ(before, telva_host::PluginRegistry::Instance().Count());

    // A module already loaded is not attached again.
    HMODULE again = LoadLibraryA(kPluginPath);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(before, telva_host::PluginRegistry::Instance().Count());
    FreeLibrary(again);
    EXPECT_EQ(before, telva_host::PluginRegistry::Instance().Count());
}

TEST(WindowsRuntime, HostFailuresReachTheCallerByType) {
    telva_host::HostSession& session = LoadedSession();
    try {
        TCIMValue value(TCIMValue::TCIMType("uint8"), "256", session.Namespace());
        FAIL() << "an out-of-range uint8 was accepted";
    } catch (const TTelvaException& failure) {
        EXPECT_STRNE("", failure.what());
    }
    // Caught as the standard base as well, with the same text.
    try {
        TCIMValue value(TCIMValue::TCIMType("sint32"), "x1", session.Namespace());
        FAIL() << "letters were accepted as a sint32";
    } catch (const std::exception& failure) {
        EXPECT_NE(nullptr, dynamic_cast<const TTelvaException*>(&failure));
        EXPECT_STRNE("", failure.what());
    }
}

TEST(WindowsRuntime, ThePluginCatchesHostFailuresThrownInAnotherModule) {
    telva_host::HostSession& session = LoadedSession();
    session.Reset();
    boost::shared_ptr<FailingLogicalDiskClass> failing(
        new FailingLogicalDiskClass(session.Namespace()));
    std::vector<boost::shared_ptr<ICIMClass> > classes(1, failing);

    // Wine shows at least drive C:, so the plug-in builds one instance or
    // more and the first CreateInstance fails.
    EXPECT_NO_THROW(telva_host::QuerySide(session.Plugin())->Query(session.Namespace(), classes));
    EXPECT_EQ(1, failing->createCalls);
    EXPECT_TRUE(LogHas(session, "ORVA_LogicalDiskcollection encountered exception: "));

    // The plug-in is still usable afterwards.
    session.Reset();
    session.Query({"ORVA_LogicalDisk"});
    EXPECT_FALSE(session.Instances("ORVA_LogicalDisk").empty());
}
