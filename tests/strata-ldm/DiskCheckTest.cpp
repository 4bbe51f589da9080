// strata-ldm check: the Windows images check clean; members left out make
// volumes degraded or failed; and each single fault made in a copy of a
// writer-made group gives exactly its finding, pinned by golden outputs in
// tests/strata-ldm/check-golden/ (STRATA_UPDATE_GOLDEN=1 rewrites them).
#include "ldm/LdmLayout.h"
#include "tests/support/Fixtures.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/DiskImageWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

using nlohmann::json;
using namespace strata_col::ldm_layout;

namespace disk_check_test {

const std::string kTool = std::string(STRATA_BIN_DIR) + "/strata-ldm";
const std::string kGolden = std::string(STRATA_SOURCE_DIR) + "/tests/strata-ldm/check-golden/";

struct Checked {
    int exitCode;
    json report;
};

Checked Check(const std::string& arguments, const std::string& folder = ".") {
    const strata_test::ProgramRun run =
        strata_test::RunProgram("cd " + folder + " && " + kTool + " check --format json " + arguments);
    return {run.exitCode, run.out.empty() ? json() : json::parse(run.out)};
}

std::string FixtureImages(const std::string& leftOut = "") {
    std::string list;
    for (const std::string& name : strata_test::FixtureImageNames()) {
        if (name != leftOut) list += " " + strata_test::FixtureImage(name);
    }
    return list;
}

std::map<std::string, std::string> Outcomes(const json& report) {
    std::map<std::string, std::string> outcomes;
    for (const json& volume : report["groups"][0]["volumes"]) outcomes[volume["name"]] = volume["outcome"];
    return outcomes;
}

class CheckOfWindowsImages : public ::testing::Test {
protected:
    void SetUp() override {
        STRATA_REQUIRE_FIXTURES();
        if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    }
};

TEST_F(CheckOfWindowsImages, CleanWholeDegradedWithoutARaid5MemberFailedWithoutASpannedOne) {
    const Checked whole = Check(FixtureImages());
    EXPECT_EQ(whole.exitCode, 0) << whole.report.dump(1);
    for (const json& disk : whole.report["disks"]) EXPECT_EQ(disk["findings"], json::array()) << disk.dump();
    std::map<std::string, std::string> healthy;
    for (const char* name : {"Volume1", "Volume2", "Volume3", "Volume4", "Stripe1", "Raid1"}) healthy[name] = "healthy";
    EXPECT_EQ(Outcomes(whole.report), healthy);

    const Checked noRaidMember = Check(FixtureImages("ldm-2003r2-raid5-1.img"));
    EXPECT_EQ(noRaidMember.exitCode, 1);
    EXPECT_EQ(noRaidMember.report["groups"][0]["missingDisks"], json::array({"Disk8"}));
    std::map<std::string, std::string> degraded = healthy;
    degraded["Raid1"] = "degraded";
    EXPECT_EQ(Outcomes(noRaidMember.report), degraded);

    const Checked noSpanMember = Check(FixtureImages("ldm-2003r2-spanned-2.img"));
    EXPECT_EQ(noSpanMember.exitCode, 2);
    std::map<std::string, std::string> failed = healthy;
    failed["Volume2"] = "failed";
    EXPECT_EQ(Outcomes(noSpanMember.report), failed);
    EXPECT_EQ(noSpanMember.report["groups"][0]["volumes"][1]["reasons"], json::array({"missing Disk3"}));
}

// A version-3 group of three disks with Windows' 1 MiB database areas; Disk1's
// long device name makes its record two blocks long.
const json kGroup = {
    {"diskSectors", 8192},
    {"configSectors", 2048},
    {"group", {{"name", "Check-Dg0"}, {"version", 3}}},
    {"disks",
     {{{"name", "Disk1"}, {"alternateName", std::string(70, 'a')}}, {{"name", "Disk2"}}, {{"name", "Disk3"}}}},
    {"volumes",
     {{{"name", "Raid"}, {"layout", "raid5"},
       {"partitions", {{{"disk", "Disk1"}, {"size", 1024}}, {{"disk", "Disk2"}, {"size", 1024}},
                       {{"disk", "Disk3"}, {"size", 1024}}}}},
      {{"name", "Span"}, {"layout", "spanned"},
       {"partitions", {{{"disk", "Disk1"}, {"start", 1024}, {"size", 512}},
                       {{"disk", "Disk2"}, {"start", 1024}, {"size", 512}}}}}}}};

class Image {
public:
    explicit Image(const std::string& path) : file_(path, std::ios::in | std::ios::out | std::ios::binary) {}

    std::uint64_t Number(std::uint64_t offset, std::size_t width) {
        std::uint64_t value = 0;
        file_.seekg(static_cast<std::streamoff>(offset));
        for (std::size_t i = 0; i < width; ++i) value = value << 8 | static_cast<unsigned char>(file_.get());
        return value;
    }
    void SetNumber(std::uint64_t offset, std::size_t width, std::uint64_t value) {
        file_.seekp(static_cast<std::streamoff>(offset));
        for (std::size_t i = width; i > 0; --i) file_.put(static_cast<char>(value >> (8 * (i - 1))));
    }
    // Sets the byte-sum checksum of the 512-byte structure at `offset`.
    void Reseal(std::uint64_t offset, std::size_t checksumOffset) {
        std::uint32_t sum = 0;
        file_.seekg(static_cast<std::streamoff>(offset));
        for (std::size_t i = 0; i < 512; ++i) {
            const unsigned char byte = static_cast<unsigned char>(file_.get());
            if (i < checksumOffset || i >= checksumOffset + 4) sum += byte;
        }
        SetNumber(offset + checksumOffset, 4, sum);
    }
    std::uint64_t AreaStart() { return Number(kPrivHeadSector * 512 + kConfigStartOffset, 8) * 512; }
    std::uint64_t Vmdb() { return AreaStart() + 17 * 512; }

private:
    std::fstream file_;
};

const std::map<std::string, std::function<void(const std::string& folder)>>& Faults() {
    static const std::map<std::string, std::function<void(const std::string&)>> faults = {
        {"intact", [](const std::string&) {}},
        {"header-copy-sequence",
         [](const std::string& folder) {
             Image disk(folder + "/Disk2.img");
             const std::uint64_t copy = disk.AreaStart() + disk.Number(6 * 512 + kPrivHeadSecondaryLbaOffset, 8) * 512;
             disk.SetNumber(copy + kPrivHeadSequenceOffset, 8, 4);
             disk.Reseal(copy, kPrivHeadChecksumOffset);
         }},
        {"toc-sequence",
         [](const std::string& folder) {
             Image disk(folder + "/Disk1.img");
             const std::uint64_t toc = disk.AreaStart() + 2046 * 512;
             disk.SetNumber(toc + kTocSequenceOffset, 8, 6);
             disk.Reseal(toc, kTocChecksumOffset);
         }},
        {"vmdb-mid-transaction",
         [](const std::string& folder) {
             Image disk(folder + "/Disk3.img");
             disk.SetNumber(disk.Vmdb() + kVmdbPendingSeqOffset, 8, disk.Number(disk.Vmdb() + kVmdbCommittedSeqOffset, 8) + 1);
         }},
        {"disk-behind",
         [](const std::string& folder) {
             Image disk(folder + "/Disk2.img");
             const std::uint64_t behind = disk.Number(disk.Vmdb() + kVmdbCommittedSeqOffset, 8) - 3;
             disk.SetNumber(disk.Vmdb() + kVmdbCommittedSeqOffset, 8, behind);
             disk.SetNumber(disk.Vmdb() + kVmdbPendingSeqOffset, 8, behind);
         }},
        {"mbr-entry-07", [](const std::string& folder) { Image(folder + "/Disk3.img").SetNumber(0x1BE + 4, 1, 0x07); }},
        {"mbr-signature-missing", [](const std::string& folder) { Image(folder + "/Disk3.img").SetNumber(510, 2, 0); }},
        {"fragment-missing",
         [](const std::string& folder) {
             // The second block of Disk1's two-block record loses its magic.
             Image disk(folder + "/Disk1.img");
             for (std::uint64_t at = disk.Vmdb() + 512;; at += kVblkSize) {
                 if (disk.Number(at + kVblkRecordCountOffset, 2) == 2 && disk.Number(at + kVblkRecordIndexOffset, 2) == 1) {
                     disk.SetNumber(at, 4, 0);
                     return;
                 }
             }
         }},
    };
    return faults;
}

std::string Contents(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(CheckOfWrittenGroup, EachSingleFaultGivesExactlyItsFinding) {
    if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    const bool update = std::getenv("STRATA_UPDATE_GOLDEN") != nullptr;
    const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(kGroup);
    for (const auto& fault : Faults()) {
        strata_test::TempFolder folder;
        for (const strata_tools::DiskDescription& disk : group.disks) {
            strata_tools::DiskImageWriter(group).Write(disk.name, folder.File(disk.name + ".img"));
        }
        fault.second(folder.path());
        const Checked checked = Check("Disk1.img Disk2.img Disk3.img", folder.path());
        const std::string text = json{{"exit", checked.exitCode}, {"report", checked.report}}.dump(2) + "\n";
        const std::string golden = kGolden + fault.first + ".json";
        if (update) std::ofstream(golden) << text;
        EXPECT_EQ(text, Contents(golden)) << fault.first;
    }
}

TEST(CheckOfWrittenGroup, ADiskOfLargeSectorsReadWithSmallOnesIsUnusableAndSaysWhichSize) {
    if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    json description = kGroup;
    description["sectorSize"] = 4096;
    description["configSectors"] = 256;
    const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
    strata_test::TempFolder folder;
    strata_tools::DiskImageWriter(group).Write("Disk1", folder.File("Disk1.img"));
    const Checked small = Check("Disk1.img", folder.path());
    EXPECT_EQ(small.exitCode, 2);
    const std::string finding = small.report["disks"][0]["findings"][0]["text"];
    EXPECT_NE(finding.find("; it has one with 4096-byte sectors (--sector-size 4096)"), std::string::npos) << finding;
    EXPECT_EQ(Check("--sector-size 4096 Disk1.img", folder.path()).report["disks"][0]["findings"], json::array());
}

}  // namespace disk_check_test
