// A capture only reads the machine: no open asks for write access, every
// handle and file is closed, and the only files written are the snapshot's.
#include "platform/sim/SimMachine.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RunProgram.h"
#include "tools/strata-capture/MachineCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.insert(fs::relative(entry.path(), folder).string());
    }
    return names;
}

// A planted link or an earlier capture in the output folder stops the run
// with its name, and what the link points to stays as it was.
TEST(CaptureReadsOnly, NoFileInTheFolderIsReplacedAndNoLinkFollowed) {
    strata_sim::LoadMachineFile(std::string(STRATA_BINARY_DIR) + "/samples/default.json");
    const strata_test::TempFolder folder;
    const std::string work = folder.path();
    std::ofstream(work + "/victim") << "kept";
    fs::create_directories(work + "/outside");
    struct Case {
        const char* name;
        const char* link;    // inside the output folder
        const char* target;  // relative to the link's folder
        const char* error;
    } cases[] = {
        {"images-link", "images", "../outside", "images-link/images is a symbolic link"},
        {"image-link", "images/disk0.img", "../../victim", "images/disk0.img is a symbolic link"},
        {"description-link", "machine.json", "../victim", "machine.json is a symbolic link"},
    };
    for (const Case& c : cases) {
        const std::string out = work + "/" + c.name;
        fs::create_directories(fs::path(out + "/" + c.link).parent_path());
        fs::create_symlink(c.target, out + "/" + c.link);
        const std::set<std::string> before = Entries(out);
        std::ostringstream progress;
        std::string error;
        EXPECT_FALSE(strata_capture::MachineCapture(out, progress).Run(error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(Entries(out), before) << c.name << ": a temporary file was left";
    }
    EXPECT_EQ(Contents(work + "/victim"), "kept");
    EXPECT_TRUE(fs::is_empty(work + "/outside"));

    // Capturing twice into one folder (or a snapshot into its own folder)
    // keeps the first capture whole.
    const std::string out = work + "/twice";
    fs::create_directory(out);
    std::ostringstream progress;
    std::string error;
    ASSERT_TRUE(strata_capture::MachineCapture(out, progress).Run(error)) << error;
    const std::string first = Contents(out + "/machine.json");
    const std::set<std::string> files = Entries(out);
    EXPECT_FALSE(strata_capture::MachineCapture(out, progress).Run(error));
    EXPECT_NE(error.find("twice/machine.json exists; it is not replaced"), std::string::npos) << error;
    EXPECT_EQ(Contents(out + "/machine.json"), first);
    EXPECT_EQ(Entries(out), files);
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
