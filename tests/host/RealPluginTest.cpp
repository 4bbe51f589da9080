// The Strata plug-in module as the host loads it.
#include "host/HostSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(RealPlugin, RegistersOnceWithItsNameAndVersions) {
    const std::string module = std::string(STRATA_BIN_DIR) + "/strata.pi.so";
    if (access(module.c_str(), R_OK) != 0) GTEST_SKIP() << module << " is not built";
    telva_host::HostSession session;
    session.LoadPlugin(module);
    ASSERT_EQ(1u, session.Registered().size());
    NTELVA20::IPluginCallbacks* plugin = session.Plugin();
    EXPECT_EQ("Strata Information Collector", plugin->GetName());
    EXPECT_EQ("1.0", plugin->GetVersion());
    EXPECT_EQ("1.0", plugin->GetSecondaryVersion());
    EXPECT_EQ(0, plugin->GetStatus());
    // Loading again does not register again.
    session.LoadPlugin(module);
    EXPECT_EQ(1u, session.Registered().size());
}

}  // namespace
