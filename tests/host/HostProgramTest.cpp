// The strata-host program, run as a separate process with the fake plug-in
// module (fixed answers) or with modules that cannot serve.
#include "tests/support/RunProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

namespace {

using strata_test::ProgramRun;
using testing::ElementsAre;
using testing::HasSubstr;

const std::string kBin = STRATA_BIN_DIR;
const std::string kFakePlugin = "--plugin " + kBin + "/fake.pi.so";

ProgramRun RunHost(const std::string& arguments) { return strata_test::RunProgram(kBin + "/strata-host " + arguments); }

std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& entry : object.items()) keys.push_back(entry.key());
    return keys;
}

class HostProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access((kBin + "/strata-host").c_str(), X_OK) != 0) GTEST_SKIP() << "strata-host is not built";
    }
};

TEST_F(HostProgramTest, RunsThatCannotServeEndWithAMessageAndTheirStatus) {
    const struct {
        std::string arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {"--plugin /nonexistent/strata.pi.so", 1, "cannot load plug-in /nonexistent/strata.pi.so"},
        {"--plugin " + kBin + "/silent.pi.so", 1, "registered no callback object"},
        {kFakePlugin + " --machine /nonexistent/machine.json", 1, "cannot load machine /nonexistent/machine.json"},
        {kFakePlugin + " --format json >/dev/full", 1, "strata-host: cannot write the report"},
        {kFakePlugin + " --format json >&-", 1, "strata-host: cannot write the report"},
        {"--bogus", 2, "usage: strata-host"},
        {"--format xml", 2, "usage: strata-host"},
        {"--log-level high", 2, "usage: strata-host"},
        {"--plugin", 2, "usage: strata-host"},
        {kFakePlugin + " --machine ''", 2, "--machine needs a file name"},
        {"extra", 2, "usage: strata-host"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunHost(c.arguments + " --log-level -1");
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments;
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.arguments;
    }
    EXPECT_THAT(RunHost("--help").out, HasSubstr("--machine FILE"));
}

#if defined(__SANITIZE_ADDRESS__)
#define STRATA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STRATA_ADDRESS_SANITIZER 1
#endif
#endif

// Out of memory, at whatever point of the query or the report it happens,
// the run ends with a message and exit status 1, never an abort; when it
// succeeds, the report is whole.
TEST_F(HostProgramTest, RunningOutOfMemoryEndsWithAMessage) {
#ifdef STRATA_ADDRESS_SANITIZER
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
    const int partitions = 30000;
    int failures = 0;
    // Fine steps: the query, taking the instances and writing them each fail
    // in a band of a few megabytes.
    for (int megabytes = 30; megabytes <= 94; megabytes += 4) {
        const ProgramRun run = strata_test::RunProgram(
            "ulimit -v " + std::to_string(megabytes * 1024) + "; FAKE_PARTITIONS=" + std::to_string(partitions) +
            " " + kBin + "/strata-host " + kFakePlugin + " --classes ORVA_DiskPartition --format json --log-level -1");
        if (run.exitCode == 0) {
            EXPECT_EQ(partitions, nlohmann::json::parse(run.out)["instances"]["ORVA_DiskPartition"].size());
        } else {
            ++failures;
            EXPECT_EQ(1, run.exitCode) << megabytes << " MB: " << run.err;
            EXPECT_THAT(run.err, testing::AnyOf(HasSubstr("strata-host: the query failed: not enough memory"),
                                                HasSubstr("strata-host: not enough memory for the instances of "
                                                          "ORVA_DiskPartition")))
                << megabytes << " MB";
        }
    }
    EXPECT_GT(failures, 0) << "no limit was tight enough";
#endif
}

// The report's layout is compared whole by the golden reports; these are the
// values the real plug-in never produces.
TEST_F(HostProgramTest, JsonHoldsPluginTypedInstancesAndLog) {
    const ProgramRun run = RunHost(kFakePlugin + " --format json --log-level -1");
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(7, report["plugin"]["status"]);
    EXPECT_EQ(17u, report["instances"].size());  // every class, even those without instances
    EXPECT_EQ(18446744073709551615ull, report["instances"]["ORVA_DiskDrive"].at(0)["Size"].get<unsigned long long>());
    EXPECT_EQ((nlohmann::ordered_json{"DATA \"main\"", "C"}), report["instances"]["ORVA_LogicalDisk"].at(0)["OtherIdentifyingInfo"]);
    EXPECT_EQ((nlohmann::ordered_json{{"level", 4}, {"text", "detail ORVA_DiskDrive"}}), report["log"].at(1));
}

TEST_F(HostProgramTest, ClassesAreSentAsGivenWithWarningsAndAFailureKeepsWhatWasCommitted) {
    ProgramRun run = RunHost(kFakePlugin + " --format json --log-level -1 "
                             "--classes Junk,orva_diskdrive,ORVA_LogicalDisk,ORVA_TapeDrive,ORVA_TapeDrive");
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("strata-host: warning: --classes: Junk is not a class of the schema; it is sent as given\n"
              "strata-host: warning: --classes: orva_diskdrive is not a class of the schema (class names are "
              "case-sensitive: ORVA_DiskDrive); it is sent as given\n"
              "strata-host: warning: --classes: ORVA_TapeDrive is listed 2 times; it is queried each time\n",
              run.err);
    nlohmann::ordered_json report = nlohmann::ordered_json::parse(run.out);
    EXPECT_THAT(Keys(report["instances"]), ElementsAre("Junk", "orva_diskdrive", "ORVA_LogicalDisk", "ORVA_TapeDrive"));
    std::vector<std::string> served;
    for (const auto& line : report["log"]) {
        if (line["level"] == 3) served.push_back(line["text"]);
    }
    EXPECT_THAT(served, ElementsAre("serving Junk", "serving orva_diskdrive", "serving ORVA_LogicalDisk",
                                    "serving ORVA_TapeDrive", "serving ORVA_TapeDrive"));
    EXPECT_EQ(1u, report["instances"]["ORVA_LogicalDisk"].size());

    run = RunHost(kFakePlugin + " --format json --log-level -1 --classes ORVA_DiskDrive,FAIL");
    EXPECT_EQ(1, run.exitCode);
    EXPECT_THAT(run.err, HasSubstr("the query failed: fake failure"));
    report = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(1u, report["instances"]["ORVA_DiskDrive"].size());
}

// The default report is text (the lab machine's is a golden report); the log
// level chooses what reaches stderr.
TEST_F(HostProgramTest, TextByDefaultAndLogLevelChoosesWhatReachesStderr) {
    const ProgramRun text = RunHost(kFakePlugin + " --classes ORVA_DiskDrive");
    EXPECT_THAT(text.out, HasSubstr("Fake Collector 2.5 (2.6), status 7\n"));
    EXPECT_THAT(text.out, HasSubstr("  Disk 0  16.0 EiB (18446744073709551615)  PCI\\DISK0\n  1 instance\n"));
    EXPECT_EQ("[3] serving ORVA_DiskDrive\n", text.err);
    EXPECT_EQ("[3] serving ORVA_DiskDrive\n[4] detail ORVA_DiskDrive\n",
              RunHost(kFakePlugin + " --classes ORVA_DiskDrive --log-level 4").err);
}

}  // namespace
