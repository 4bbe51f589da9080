// Registration at load time, the entry point's other reasons, Release.
#include "collect/LogMessage.h"
#include "host/CoreLogger.h"
#include "host/PluginRegistry.h"
#include "platform/win32.h"
#include "plugin/StrataCallbacks.h"

#include <gtest/gtest.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID);

using telva_host::PluginRegistry;

TEST(Registration, LoadingRegistersExactlyOneCallbackObject) {
    // The entry point ran when this program was loaded.
    ASSERT_EQ(1u, PluginRegistry::Instance().Count());
    NTELVA20::IPluginCallbacks* plugin = PluginRegistry::Instance().Callbacks()[0];
    EXPECT_EQ("Strata Information Collector", plugin->GetName());
    EXPECT_EQ("1.0", plugin->GetVersion());
    EXPECT_EQ("1.0", plugin->GetSecondaryVersion());
    EXPECT_EQ(0, plugin->GetStatus());
    EXPECT_NE(nullptr, telva_host::QuerySide(plugin));
}

TEST(Registration, OtherEntryReasonsRegisterNothing) {
    const std::size_t before = PluginRegistry::Instance().Count();
    EXPECT_EQ(TRUE, DllMain(nullptr, DLL_THREAD_ATTACH, nullptr));
    EXPECT_EQ(TRUE, DllMain(nullptr, DLL_THREAD_DETACH, nullptr));
    EXPECT_EQ(TRUE, DllMain(nullptr, DLL_PROCESS_DETACH, nullptr));
    EXPECT_EQ(before, PluginRegistry::Instance().Count());
}

TEST(Registration, ReleaseDestroysTheObjectAndTheLogOutlivesIt) {
    strata_col::LogMessage* log = strata_col::LogMessage::Instance();
    auto* callbacks = new strata_col::TStrataCallbacks();
    EXPECT_TRUE(callbacks->IsRegistered());
    NTELVA20::IPluginCallbacks* asPlugin = callbacks;
    asPlugin->Release();  // under ASan a use after this would be reported

    telva_host::CoreLogger::Instance().Clear();
    EXPECT_EQ(log, strata_col::LogMessage::Instance());
    log->WriteLevel3("still logging");
    ASSERT_EQ(1u, telva_host::CoreLogger::Instance().Lines().size());
}

TEST(Registration, WithoutAPluginManagerTheModuleLoadsAndRegistersNothing) {
    const std::size_t before = PluginRegistry::Instance().Count();
    telva_host::CoreLogger::Instance().Clear();
    telva_host::OfferPluginManager(false);
    EXPECT_EQ(TRUE, DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr));
    telva_host::OfferPluginManager(true);
    EXPECT_EQ(before, PluginRegistry::Instance().Count());
    ASSERT_EQ(1u, telva_host::CoreLogger::Instance().Lines().size());
    EXPECT_EQ(3u, telva_host::CoreLogger::Instance().Lines()[0].level);
    EXPECT_EQ(
        "Strata Information Collector: the host offers no plug-in manager; the plug-in is not registered.",
        telva_host::CoreLogger::Instance().Lines()[0].text);
}
