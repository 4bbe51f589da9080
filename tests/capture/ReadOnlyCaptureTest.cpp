// A capture only reads the machine: no open asks for write access, every
// handle and file is closed, and the only files written are the snapshot's.
#include "platform/sim/SimMachine.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RunProgram.h"
#include "tools/strata-capture/MachineCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(CaptureReadsOnly, NothingAskedToWriteAndOnlyTheSnapshotWritten) {
    strata_sim::LoadMachineFile(std::string(STRATA_BINARY_DIR) + "/samples/default.json");
    const strata_test::TempFolder folder;
    const std::string& work = folder.path();
    fs::create_directory(work + "/out");
    std::ostringstream progress;
    strata_capture::MachineCapture capture(work + "/out", progress);
    std::string error;
    ASSERT_TRUE(capture.Run(error)) << error;

    EXPECT_TRUE(strata_sim::WriteRequests().empty())
        << "first write request: " << strata_sim::WriteRequests().front();
    EXPECT_TRUE(strata_sim::DialogRisks().empty());
    EXPECT_EQ(strata_sim::OpenHandleCount(), 0);
    EXPECT_EQ(strata_sim::OpenRawFileCount(), 0);

    std::set<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        if (entry.is_regular_file()) written.insert(fs::relative(entry.path(), work).string());
    }
    std::set<std::string> expected = {"out/machine.json"};
    for (std::uint64_t i = 0; i < capture.Log().drives; ++i) {
        expected.insert("out/images/disk" + std::to_string(i) + ".img");
    }
    EXPECT_EQ(written, expected);
    // One progress line per drive.
    std::istringstream lines(progress.str());
    std::uint64_t drives = 0;
    for (std::string line; std::getline(lines, line);) drives += line.rfind("strata-capture: ", 0) == 0;
    EXPECT_EQ(drives, capture.Log().drives);
    EXPECT_GT(drives, 0u);
}

TEST(CaptureReadsOnly, MissingOutputFolderIsAClearError) {
    const strata_test::TempFolder folder;
    const std::string& work = folder.path();
    const strata_test::ProgramRun run = strata_test::RunProgram(
        std::string(STRATA_BIN_DIR) + "/strata-capture --machine " + STRATA_BINARY_DIR +
        "/samples/default.json --out " + work + "/absent");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("output folder " + work + "/absent does not exist"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(work));
}

}  // namespace
