// The readable report: human sizes, tables that wrap to the page, and the
// options that choose it. The lab machine's whole report at 100 columns is a
// golden report (tests/golden/lab.text).
#include "host/program/HostOptions.h"
#include "host/program/HumanUnits.h"
#include "host/program/TextTable.h"
#include "platform/VisibleText.h"
#include "tests/e2e/LabSession.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace telva_host;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ReportUnits, SizesKeepThreeDigitsAndCarryIntoTheNextUnit) {
    EXPECT_EQ("0 B", HumanBytes(0));
    EXPECT_EQ("1023 B", HumanBytes(1023));
    EXPECT_EQ("1.00 KiB", HumanBytes(1024));
    EXPECT_EQ("1.50 KiB", HumanBytes(1536));
    EXPECT_EQ("14.9 GiB", HumanBytes(16008609792ull));
    EXPECT_EQ("120 GiB", HumanBytes(128849018880ull));
    EXPECT_EQ("1.00 MiB", HumanBytes(1048575));  // 1023.999 KiB rounds up into MiB
    EXPECT_EQ("16.0 EiB", HumanBytes(UINT64_MAX));
    EXPECT_EQ("512 B", BytesWithHuman(512));
    EXPECT_EQ("4.00 GiB (4294967296)", BytesWithHuman(4294967296ull));
}

TEST(ReportTable, WideTablesWrapIntoBlocksThatRepeatTheFirstColumn) {
    TextTable table({"Name", "Size", "DeviceID"});
    table.AddRow({"Disk 0", "256 GiB", "SCSI\\DISK&VEN_ATA\\0"});
    table.AddRow({"Disk 10", "1.00 TiB"});  // a missing cell is blank

    std::ostringstream whole;
    table.Write(whole, 0);
    EXPECT_EQ("  Name     Size      DeviceID\n"
              "  -------  --------  -------------------\n"
              "  Disk 0   256 GiB   SCSI\\DISK&VEN_ATA\\0\n"
              "  Disk 10  1.00 TiB\n",
              whole.str());

    std::ostringstream wrapped;
    table.Write(wrapped, 24);
    EXPECT_EQ("  Name     Size\n"
              "  -------  --------\n"
              "  Disk 0   256 GiB\n"
              "  Disk 10  1.00 TiB\n"
              "\n"
              "  Name     DeviceID\n"
              "  -------  -------------------\n"
              "  Disk 0   SCSI\\DISK&VEN_ATA\\0\n"
              "  Disk 10\n",
              wrapped.str());
}

TEST(ReportTable, MultiByteCharactersTakeOneColumn) {
    EXPECT_EQ(3u, TextTable::DisplayWidth("a\u2192b"));
    TextTable table({"Label", "X"});
    table.AddRow({"\u00c9t\u00e9", "1"});
    std::ostringstream out;
    table.Write(out, 0);
    EXPECT_TRUE(Contains(out.str(), "  \u00c9t\u00e9    1\n")) << out.str();
}

TEST(ReportText, ControlBytesAndBytesThatAreNotUtf8AreShownEscaped) {
    using strata_text::VisibleText;
    EXPECT_EQ("\\x1b]0;owned\\x07\\x0a\\x09\\x7f\\x00", VisibleText(std::string("\x1b]0;owned\x07\n\t\x7f\0", 14)));
    EXPECT_EQ("C:\\ Donn\u00e9es \u2192 \U0001F4BE", VisibleText("C:\\ Donn\u00e9es \u2192 \U0001F4BE"));
    EXPECT_EQ("\\u009b2J \u00a0", VisibleText("\u009b2J \u00a0"));  // C1 control, then no-break space
    // Latin-1, an overlong slash, a surrogate, a code point past U+10FFFF, a cut sequence.
    EXPECT_EQ("Donn\\xe9es \\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \\xe2\\x86",
              VisibleText("Donn\xe9" "es \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x86"));
}

// A volume label is the disk's own text: in the readable report it can
// neither retitle the terminal nor add a row of its own.
TEST(ReportText, ALabelsControlBytesReachTheTerminalEscaped) {
    std::ifstream sample(STRATA_SOURCE_DIR "/samples/basic.json");
    nlohmann::json machine = nlohmann::json::parse(sample);
    machine["volumes"][0]["label"] = "\x1b]0;owned\x07\nC:\\ fake";
    strata_test::TempFolder folder;
    std::ofstream(folder.File("m.json")) << machine.dump();
    const strata_test::ProgramRun run = strata_test::RunProgram(
        STRATA_BIN_DIR "/strata-host --machine " + folder.File("m.json") + " --width 0 --log-level 4");
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_TRUE(Contains(run.out, "\\x1b]0;owned\\x07\\x0aC:\\ fake")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
    EXPECT_EQ(std::string::npos, run.err.find('\x1b'));
}

TEST(ReportOptions, DotFormatAndWidthAreAccepted) {
    const HostOptions options = ParseHostOptions({"--format", "dot", "--width=72"});
    EXPECT_EQ(ReportFormat::kDot, options.format);
    EXPECT_EQ(72, options.width);
    EXPECT_EQ(-1, ParseHostOptions({}).width);  // the terminal decides
    EXPECT_THROW(ParseHostOptions({"--width", "-3"}), UsageError);
    EXPECT_THROW(ParseHostOptions({"--width", "wide"}), UsageError);
    EXPECT_THROW(ParseHostOptions({"--format", "svg"}), UsageError);
}

class LabText : public ::testing::Test {
protected:
    void SetUp() override { STRATA_REQUIRE_LAB_REPORT(); }

    static std::string Text(std::size_t width) {
        std::ostringstream out;
        WriteTextReport(out, *strata_test::LabReport(), width);
        return out.str();
    }
};

TEST_F(LabText, EveryLineFitsTheWidthItWasGiven) {
    std::size_t widest = 0;
    for (const std::string& line : Lines(Text(0))) widest = std::max(widest, TextTable::DisplayWidth(line));
    ASSERT_GT(widest, 100u);  // unwrapped, the tables are wider than that
    for (const std::string& line : Lines(Text(100))) EXPECT_LE(TextTable::DisplayWidth(line), 100u) << line;

    // Too narrow for aligned pairs: each pair takes two lines.
    const std::string narrow = Text(24);
    EXPECT_TRUE(Contains(narrow, "  Disk 0,Partition 1\n    \u2192 C:\\\n")) << narrow;
}

}  // namespace
