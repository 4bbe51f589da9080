// The Strata plug-in module as the host loads it.
#include "host/HostSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(RealPlugin, RegistersOnce) {
    const std::string module = std::string(STRATA_BIN_DIR) + "/strata.pi.so";
    if (access(module.c_str(), R_OK) != 0) GTEST_SKIP() << module << " is not built";
    telva_host::HostSession session;
    session.LoadPlugin(module);
    ASSERT_EQ(1u, session.Registered().size());
    EXPECT_EQ("Strata Information Collector", session.Plugin()->GetName());
    // Loading again does not register again.
    session.LoadPlugin(module);
    EXPECT_EQ(1u, session.Registered().size());
}

}  // namespace
