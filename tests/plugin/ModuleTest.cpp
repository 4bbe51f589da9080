// The plug-in module loaded by the host at run time.
#include "host/HostSession.h"

#include <gtest/gtest.h>

TEST(PluginModule, RegistersOnceWithItsNameAndVersions) {
    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    ASSERT_EQ(1u, session.Registered().size());
    NTELVA20::IPluginCallbacks* plugin = session.Plugin();
    EXPECT_EQ("Strata Information Collector", plugin->GetName());
    EXPECT_EQ("1.0", plugin->GetVersion());
    EXPECT_EQ("1.0", plugin->GetSecondaryVersion());
    EXPECT_EQ(0, plugin->GetStatus());

    // Loading the same module again registers nothing new.
    telva_host::HostSession again;
    again.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    EXPECT_EQ(1u, again.Registered().size());
    EXPECT_EQ(plugin, again.Plugin());
}
