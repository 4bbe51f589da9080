// A whole query only reads. The platform seam declares no call that writes
// (no WriteFile, no _write, no write I/O control), so what remains to pin is
// which opens ask for write access: only the device opens for the I/O control
// queries (CreateFileA of a drive's interface path, \\.\PHYSICALDRIVEn or a
// volume's \\.\X: path or, for a mount folder, its \\?\Volume{...} path,
// which ask for it on purpose, as the system always has); none names a file.
// Quota is read with a read-only control object.
// The raw reads of the dynamic-disk databases open read-only: the simulated
// machine refuses a raw open that asks to write, and the lab's dynamic
// volumes would then be missing.
#include "tests/e2e/LabSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::AnyOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

TEST(ReadOnly, OnlyDeviceOpensAskForWriteAccess) {
    STRATA_REQUIRE_LAB_REPORT();
    const std::vector<std::string>& requests = strata_test::LabWriteRequests();
    EXPECT_THAT(requests, Each(AnyOf(MatchesRegex(R"(CreateFileA \\\\\.\\(PHYSICALDRIVE[0-9]+|[A-Z]:.*))"),
                                     MatchesRegex(R"(CreateFileA \\\\\?\\[^\\]+#\{[0-9a-f-]+\})"),
                                     MatchesRegex(R"(CreateFileA \\\\\?\\Volume\{[0-9a-f-]+\})"))));
    EXPECT_THAT(requests, Contains(StartsWith("CreateFileA \\\\.\\PHYSICALDRIVE")));
    EXPECT_EQ(5u, strata_test::LabInstances("ORVA_DynamicExtent").size());
}

}  // namespace
