// The strata-host program, run as a separate process with the fake plug-in
// module (fixed answers) or with modules that cannot serve.
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

namespace {

using RunResult = strata_test::ProgramRun;

const std::string kBin = STRATA_BIN_DIR;
const std::string kFakePlugin = "--plugin " + kBin + "/fake.pi.so";

RunResult RunHost(const std::string& arguments) { return strata_test::RunProgram(kBin + "/strata-host " + arguments); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HostProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access((kBin + "/strata-host").c_str(), X_OK) != 0) GTEST_SKIP() << "strata-host is not built";
    }
};

TEST_F(HostProgramTest, ModulesThatCannotServeEndWithAMessage) {
    RunResult missing = RunHost("--plugin /nonexistent/strata.pi.so");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_TRUE(Contains(missing.err, "cannot load plug-in /nonexistent/strata.pi.so")) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    RunResult silent = RunHost("--plugin " + kBin + "/silent.pi.so");
    EXPECT_EQ(1, silent.exitCode);
    EXPECT_TRUE(Contains(silent.err, "registered no callback object")) << silent.err;
}

TEST_F(HostProgramTest, BadCommandLinesShowUsage) {
    for (const char* arguments : {"--bogus", "--format xml", "--log-level high", "--plugin", "extra"}) {
        RunResult result = RunHost(arguments);
        EXPECT_EQ(2, result.exitCode) << arguments;
        EXPECT_TRUE(Contains(result.err, "usage: strata-host")) << arguments << ": " << result.err;
    }
    RunResult help = RunHost("--help");
    EXPECT_EQ(0, help.exitCode);
    EXPECT_TRUE(Contains(help.out, "--machine FILE"));
}

TEST_F(HostProgramTest, JsonHoldsPluginTypedInstancesAndLog) {
    RunResult result = RunHost(kFakePlugin + " --format json --log-level -1");
    ASSERT_EQ(0, result.exitCode) << result.err;
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(result.out);
    EXPECT_EQ("Fake Collector", report["plugin"]["name"]);
    EXPECT_EQ("2.5", report["plugin"]["version"]);
    EXPECT_EQ("2.6", report["plugin"]["secondaryVersion"]);
    EXPECT_EQ(7, report["plugin"]["status"]);

    // Every class, in serving order, even those without instances.
    std::vector<std::string> classes;
    for (const auto& entry : report["instances"].items()) classes.push_back(entry.key());
    ASSERT_EQ(17u, classes.size());
    EXPECT_EQ("ORVA_DiskDrive", classes.front());
    EXPECT_EQ("ORVA_DynamicExtentInDiskGroup", classes.back());
    EXPECT_TRUE(report["instances"]["ORVA_TapeDrive"].empty());

    const nlohmann::ordered_json& drive = report["instances"]["ORVA_DiskDrive"].at(0);
    EXPECT_EQ(18446744073709551615ull, drive["Size"].get<unsigned long long>());
    EXPECT_EQ("PCI\\DISK0", drive["DeviceID"]);
    EXPECT_FALSE(drive.contains("MediaType"));
    const nlohmann::ordered_json& partition = report["instances"]["ORVA_DiskPartition"].at(0);
    EXPECT_EQ(true, partition["Bootable"]);
    EXPECT_EQ("07", partition["PartitionSubType"]);
    EXPECT_EQ((nlohmann::ordered_json{"DATA \"main\"", "C"}), report["instances"]["ORVA_LogicalDisk"].at(0)["OtherIdentifyingInfo"]);
    const nlohmann::ordered_json& present = report["instances"]["ORVA_MediaPresent"].at(0);
    EXPECT_EQ(0u, present["Antecedent"].get<std::string>().find("root/strata:ORVA_DiskDrive.CreationClassName="));

    ASSERT_FALSE(report["log"].empty());
    EXPECT_EQ(3, report["log"][0]["level"]);
    EXPECT_EQ("serving ORVA_DiskDrive", report["log"][0]["text"]);
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST_F(HostProgramTest, ClassesOptionSendsExactlyThoseNames) {
    RunResult result = RunHost(kFakePlugin + " --format json --classes NoSuchClass,ORVA_LogicalDisk");
    ASSERT_EQ(0, result.exitCode) << result.err;
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(result.out);
    std::vector<std::string> classes;
    for (const auto& entry : report["instances"].items()) classes.push_back(entry.key());
    EXPECT_EQ((std::vector<std::string>{"NoSuchClass", "ORVA_LogicalDisk"}), classes);
    EXPECT_EQ("serving NoSuchClass", report["log"][0]["text"]);
    EXPECT_EQ(1u, report["instances"]["ORVA_LogicalDisk"].size());
}

TEST_F(HostProgramTest, LogLevelChoosesWhatReachesStderr) {
    RunResult level3 = RunHost(kFakePlugin + " --classes ORVA_DiskDrive");
    EXPECT_EQ("[3] serving ORVA_DiskDrive\n", level3.err);
    RunResult level4 = RunHost(kFakePlugin + " --classes ORVA_DiskDrive --log-level 4");
    EXPECT_EQ("[3] serving ORVA_DiskDrive\n[4] detail ORVA_DiskDrive\n", level4.err);
}

TEST_F(HostProgramTest, TextShowsTablesCountsAndPairs) {
    RunResult result = RunHost(kFakePlugin + " --log-level -1");
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_TRUE(Contains(result.out, "Fake Collector 2.5 (2.6), status 7\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "\nORVA_DiskDrive\n  Name    Size                             DeviceID\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "  Disk 0  16.0 EiB (18446744073709551615)  PCI\\DISK0\n  1 instance\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "\nORVA_TapeDrive\n  0 instances\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "\nORVA_MediaPresent: Antecedent \u2192 Dependent\n  PCI\\DISK0 \u2192 C:\\\n  1 instance\n"))
        << result.out;
    EXPECT_FALSE(Contains(result.out, "SystemCreationClassName"));
}

TEST_F(HostProgramTest, MofDeclaresEachInstance) {
    RunResult result = RunHost(kFakePlugin + " --format mof --classes ORVA_LogicalDisk,ORVA_DiskPartition");
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_TRUE(Contains(result.out, "instance of ORVA_LogicalDisk\n{\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "    DeviceID = \"C:\\\\\";\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "    OtherIdentifyingInfo = {\"DATA \\\"main\\\"\", \"C\"};\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "    Bootable = true;\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "    PartitionSubType = \"07\";\n")) << result.out;
}

TEST_F(HostProgramTest, AFailingQueryIsReportedAndWhatWasCommittedStillPrinted) {
    RunResult result = RunHost(kFakePlugin + " --format json --log-level -1 --classes ORVA_DiskDrive,FAIL");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_TRUE(Contains(result.err, "the query failed: fake failure")) << result.err;
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(result.out);
    EXPECT_EQ(1u, report["instances"]["ORVA_DiskDrive"].size());
}

TEST_F(HostProgramTest, AMissingMachineFileIsReported) {
    RunResult result = RunHost(kFakePlugin + " --machine /nonexistent/machine.json");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_TRUE(Contains(result.err, "cannot load machine /nonexistent/machine.json")) << result.err;
}

TEST_F(HostProgramTest, AReportThatCannotBeWrittenFailsTheRun) {
    for (const char* output : {">/dev/full", ">&-"}) {
        RunResult result = RunHost(kFakePlugin + " --format json --log-level -1 " + output);
        EXPECT_EQ(1, result.exitCode) << output;
        EXPECT_TRUE(Contains(result.err, "strata-host: cannot write the report")) << output << ": " << result.err;
    }
}

TEST_F(HostProgramTest, UnknownAndRepeatedClassNamesAreWarnedAboutAndStillSent) {
    RunResult result = RunHost(kFakePlugin + " --format json --log-level -1 "
                               "--classes Junk,orva_diskdrive,ORVA_TapeDrive,ORVA_TapeDrive");
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("strata-host: warning: --classes: Junk is not a class of the schema; it is sent as given\n"
              "strata-host: warning: --classes: orva_diskdrive is not a class of the schema (class names are "
              "case-sensitive: ORVA_DiskDrive); it is sent as given\n"
              "strata-host: warning: --classes: ORVA_TapeDrive is listed 2 times; it is queried each time\n",
              result.err);
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(result.out);
    std::vector<std::string> served;
    for (const auto& line : report["log"]) {
        if (line["level"] == 3) served.push_back(line["text"]);
    }
    EXPECT_EQ((std::vector<std::string>{"serving Junk", "serving orva_diskdrive", "serving ORVA_TapeDrive",
                                        "serving ORVA_TapeDrive"}),
              served);
}

}  // namespace
