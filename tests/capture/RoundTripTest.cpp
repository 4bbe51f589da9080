// A snapshot of a machine, taken by strata-capture through the simulated
// machine, replays to the original's inventory byte for byte, and its images
// hold only the sectors the capture read.
#include "tests/support/Fixtures.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kBin = STRATA_BIN_DIR;
const std::uint64_t kSector = 512;
// Partition tables, private headers and a 1 MiB database area per drive.
const std::uint64_t kMostCapturedPerDrive = 2u << 20;

json ReadJson(const std::string& path) {
    std::ifstream in(path);
    return json::parse(in);
}

void WriteJson(const std::string& path, const json& value) {
    std::ofstream(path) << value.dump(1);
}

std::string Inventory(const std::string& machine) {
    const strata_test::ProgramRun run =
        strata_test::RunProgram(kBin + "/strata-host --machine '" + machine + "' --format json --log-level -1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

strata_test::ProgramRun Capture(const std::string& machine, const std::string& folder) {
    return strata_test::RunProgram(kBin + "/strata-capture --machine '" + machine + "' --out '" + folder + "'");
}

// The description with every image path absolute, so that it can be moved.
json WithAbsoluteImages(const std::string& path) {
    json machine = ReadJson(path);
    const fs::path folder = fs::path(path).parent_path();
    for (json& device : machine["devices"]) {
        if (device.contains("image") && fs::path(device["image"].get<std::string>()).is_relative()) {
            device["image"] = (folder / device["image"].get<std::string>()).string();
        }
    }
    return machine;
}

// Every data piece of the snapshot image is the original's bytes there, and
// together they stay within what one drive's tables and database take.
void ExpectOnlyCapturedSectors(const std::string& snapshot, const std::string& original) {
    const int copy = open(snapshot.c_str(), O_RDONLY);
    const int source = open(original.c_str(), O_RDONLY);
    ASSERT_GE(copy, 0) << snapshot;
    ASSERT_GE(source, 0) << original;
    std::uint64_t data = 0;
    off_t at = 0;
    std::vector<unsigned char> mine(kSector), theirs(kSector);
    while ((at = lseek(copy, at, SEEK_DATA)) >= 0) {
        const off_t end = lseek(copy, at, SEEK_HOLE);
        for (off_t sector = at; sector < end; sector += kSector) {
            const ssize_t got = pread(copy, mine.data(), kSector, sector);
            std::fill(theirs.begin(), theirs.end(), 0);
            ASSERT_GE(pread(source, theirs.data(), kSector, sector), 0);
            ASSERT_TRUE(got > 0 && std::equal(mine.begin(), mine.begin() + got, theirs.begin()))
                << snapshot << " differs from the drive at byte " << sector;
        }
        data += static_cast<std::uint64_t>(end - at);
        at = end;
    }
    close(copy);
    close(source);
    EXPECT_LE(data, kMostCapturedPerDrive) << snapshot << " holds more than the drive's tables";
}

// Captures the machine, replays the snapshot, compares the two inventories
// and each snapshot image with the original drive behind it.
void ExpectRoundTrip(const std::string& machinePath) {
    strata_test::TempFolder out;
    const strata_test::ProgramRun run = Capture(machinePath, out.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(" failures recorded"), std::string::npos) << run.err;

    const std::string snapshot = out.path() + "/machine.json";
    EXPECT_EQ(Inventory(snapshot), Inventory(machinePath));

    const json original = WithAbsoluteImages(machinePath);
    std::map<std::string, std::string> originalImages;
    for (const json& device : original["devices"]) {
        if (device.contains("image")) originalImages[device["instanceId"]] = device["image"];
    }
    const json captured = ReadJson(snapshot);
    std::size_t compared = 0;
    for (const json& device : captured["devices"]) {
        if (!device.contains("image")) continue;
        const auto source = originalImages.find(device["instanceId"]);
        if (source == originalImages.end()) continue;  // a drive without an image reads as zeros
        ExpectOnlyCapturedSectors(out.path() + "/" + device["image"].get<std::string>(), source->second);
        ++compared;
    }
    EXPECT_EQ(compared, originalImages.size()) << "a drive with an image was not captured";
}

TEST(CaptureRoundTrip, LabMachine) {
    ExpectRoundTrip(std::string(STRATA_BINARY_DIR) + "/samples/default.json");
}

// Folder mounts (on ReFS and on a letterless volume), two groups, a clone.
TEST(CaptureRoundTrip, ServerMachine) {
    ExpectRoundTrip(std::string(STRATA_BINARY_DIR) + "/samples/server.json");
}

TEST(CaptureRoundTrip, WindowsWrittenDisks) {
    STRATA_REQUIRE_FIXTURES();
    strata_test::TempFolder work;
    json machine = ReadJson(std::string(STRATA_SOURCE_DIR) + "/tests/golden/fixture-machine.json");
    for (json& device : machine["devices"]) {
        if (device.contains("image")) device["image"] = strata_test::FixtureImage(device["image"]);
    }
    WriteJson(work.path() + "/machine.json", machine);
    ExpectRoundTrip(work.path() + "/machine.json");
}

TEST(CaptureRoundTrip, GeneratedEightDisks) {
    strata_test::TempFolder work;
    ASSERT_EQ(strata_test::RunProgram(kBin + "/bench_make_machine 8 '" + work.path() + "'").exitCode, 0);
    ExpectRoundTrip(work.path() + "/machine.json");
}

// A label in the ANSI code page ("Donn\xe9es" under 1252) is no UTF-8: the
// snapshot keeps its bytes, and the replay answers with them.
TEST(CaptureRoundTrip, TextsThatAreNotUtf8KeepTheirBytes) {
    strata_test::TempFolder work;
    json machine = WithAbsoluteImages(std::string(STRATA_BINARY_DIR) + "/samples/default.json");
    const json bytes = {{"bytes", {68, 111, 110, 110, 233, 101, 115}}};
    ASSERT_FALSE(machine["volumes"].empty());
    machine["volumes"][0]["label"] = bytes;
    const std::string original = work.path() + "/machine.json";
    WriteJson(original, machine);
    fs::create_directory(work.path() + "/out");
    const strata_test::ProgramRun run = Capture(original, work.path() + "/out");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::size_t kept = 0;
    const json captured = ReadJson(work.path() + "/out/machine.json");
    for (const json& volume : captured["volumes"]) kept += volume.value("label", json()) == bytes;
    EXPECT_EQ(1u, kept) << captured["volumes"].dump();
    EXPECT_EQ(Inventory(work.path() + "/out/machine.json"), Inventory(original));
}

// Calls that fail on the original fail the same way on the snapshot: each is
// recorded with its error code, and the replay logs the same lines.
TEST(CaptureRoundTrip, FailuresAreRecordedAndReplayed) {
    strata_test::TempFolder work;
    json machine = WithAbsoluteImages(std::string(STRATA_BINARY_DIR) + "/samples/default.json");
    machine["failures"] = json::parse(R"([
      { "call": "DeviceIoControl", "controlCode": "IOCTL_DISK_GET_DRIVE_LAYOUT_EX",
        "target": "\\\\.\\PHYSICALDRIVE1", "error": 23 },
      { "call": "_read", "target": "\\\\.\\PHYSICALDRIVE3", "error": 1117 },
      { "call": "GetVolumeInformationA", "target": "E:\\", "error": 5 },
      { "call": "IDiskQuotaControl::Initialize", "target": "C:\\", "error": 1784 }
    ])");
    const std::string original = work.path() + "/machine.json";
    WriteJson(original, machine);
    fs::create_directory(work.path() + "/out");
    const strata_test::ProgramRun run = Capture(original, work.path() + "/out");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(", 4 failures recorded"), std::string::npos) << run.err;

    std::multimap<std::string, std::uint32_t> recorded;
    const json captured = ReadJson(work.path() + "/out/machine.json");
    for (const json& failure : captured["failures"]) {
        recorded.emplace(failure["call"], failure["error"]);
    }
    const std::multimap<std::string, std::uint32_t> expected = {
        {"DeviceIoControl", 23}, {"_read", 1117}, {"GetVolumeInformationA", 5},
        {"IDiskQuotaControl::Initialize", 1784}};
    EXPECT_EQ(recorded, expected);
    const std::string replayed = Inventory(work.path() + "/out/machine.json");
    EXPECT_NE(replayed.find("Unable to retrieve partition information."), std::string::npos);
    EXPECT_EQ(replayed, Inventory(original));
}

}  // namespace
