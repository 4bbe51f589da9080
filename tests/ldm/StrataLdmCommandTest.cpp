// strata-ldm run as its users run it: damaged and hostile images, bad
// numbers and outputs that cannot be written each end in a clear message
// and an exit status, and never hide the images that could be decoded.
#include "ldm/LdmLayout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/RunProgram.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

using nlohmann::json;
using namespace strata_col::ldm_layout;

namespace {

const std::string kTool = std::string(STRATA_BIN_DIR) + "/strata-ldm";
const std::uint64_t kSector = 512;

// A group of one 1 MiB disk with a 128 KiB database area.
json OneDiskGroup(const std::string& group, const std::string& volume = "Volume1") {
    return {{"diskSectors", 2048},
            {"configSectors", 256},
            {"group", {{"name", group}}},
            {"disks", {{{"name", "Disk1"}}}},
            {"volumes", {{{"name", volume}, {"partitions", {{{"disk", "Disk1"}, {"size", 100}}}}}}}};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The line strata-ldm wrote about an image.
std::string LineAbout(const std::string& err, const std::string& image) {
    const std::string start = "strata-ldm: " + image + ": ";
    const std::size_t at = err.find(start);
    return at == std::string::npos ? "" : err.substr(at, err.find('\n', at) - at);
}

class StrataLdmCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    }

    // Writes the group's disk as `name` in the folder; returns its path.
    std::string WriteImage(const json& description, const std::string& name) {
        const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
        strata_tools::DiskImageWriter(group).Write(group.disks[0].name, folder.File(name));
        guids[name] = group.disks[0].guid;
        return folder.File(name);
    }

    // Byte offset of the database area of a disk written from OneDiskGroup.
    static std::uint64_t AreaStart() {
        const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(OneDiskGroup("G"));
        return strata_tools::PlanDisk(group, group.disks[0]).configStart * kSector;
    }

    static void Patch(const std::string& path, std::uint64_t offset, const std::vector<unsigned char>& bytes) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(offset));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    strata_test::ProgramRun Dump(const std::string& arguments) {
        return strata_test::RunProgram("timeout 120 " + kTool + " dump " + arguments);
    }

    strata_test::TempFolder folder;
    std::map<std::string, std::string> guids;  // image name to disk GUID
};

TEST_F(StrataLdmCommand, TextsThatAreNotUtf8AreReplacedAndHideNoImage) {
    const std::string bad = WriteImage(OneDiskGroup("Bad\xff-Dg0", "Name\xfe\xff"), "bad.img");
    const std::string good = WriteImage(OneDiskGroup("Good-Dg0"), "good.img");
    const strata_test::ProgramRun run = Dump(bad + " " + good);
    ASSERT_EQ(0, run.exitCode) << run.err;
    const json dumped = json::parse(run.out);
    ASSERT_EQ(2u, dumped.size());
    const json& volumes = dumped.at(guids["bad.img"]).at("volumes");
    ASSERT_EQ(1u, volumes.size());
    EXPECT_TRUE(Contains(volumes.begin()->at("Name"), "Name\xEF\xBF\xBD")) << volumes.dump();  // U+FFFD
    EXPECT_EQ("Good-Dg0", dumped.at(guids["good.img"]).at("diskGroups").begin()->at("Name"));

    // The control bytes of a name reach the terminal as escapes.
    const strata_test::ProgramRun named = Dump("'" + folder.File("\x1b]0;owned\x07.img") + "'");
    EXPECT_EQ(1, named.exitCode);
    EXPECT_TRUE(Contains(named.err, "/\\x1b]0;owned\\x07.img: cannot be opened")) << named.err;
    EXPECT_EQ(std::string::npos, named.err.find('\x1b'));
}

TEST_F(StrataLdmCommand, EveryImageNotDecodedIsNamedWithItsReasonAndTheOthersArePrinted) {
    const std::uint64_t area = AreaStart();
    const std::uint64_t vmdb = area + 17 * kSector;  // where the writer puts it
    struct Case {
        const char* name;
        std::function<void(const std::string&)> damage;  // on a written image
        const char* reason;
    };
    const Case cases[] = {
        {"basic.img", [](const std::string& p) { Patch(p, 6 * kSector, std::vector<unsigned char>(kSector, 0)); },
         "no private header"},
        {"outside.img", [](const std::string& p) { Patch(p, 6 * kSector + kConfigStartOffset, {0, 0, 0, 1, 0, 0, 0, 0}); },
         "lies outside the drive (2048 sectors)"},
        {"toc.img", [&](const std::string& p) { Patch(p, area + kSector + kTocConfigRegionLowOffset, {0, 0, 1, 0}); },
         "puts the database header (VMDB) at byte 131072, past the end of the 131072-byte database area"},
        {"blank.img",
         [&](const std::string& p) { Patch(p, vmdb + 512, std::vector<unsigned char>(area + 255 * kSector - vmdb - 512, 0)); },
         "no database records"},
        {"huge.img",
         [](const std::string& p) {
             std::filesystem::resize_file(p, 200 << 20);  // sparse: the drive has room for the area
             Patch(p, 6 * kSector + kConfigSizeOffset, {0, 0, 0, 0, 0, 0x02, 0x20, 0});  // 68 MiB
         },
         "larger than the 64 MiB a database area is read up to"},
        {"missing.img", nullptr, "cannot be opened"},
        {"pipe",
         [](const std::string& p) {
             std::filesystem::remove(p);
             mkfifo(p.c_str(), 0600);
         },
         "is not a regular file or block device"},
        {"folder",
         [](const std::string& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         },
         "is not a regular file or block device"},
    };
    std::string arguments = WriteImage(OneDiskGroup("Good-Dg0"), "good.img");
    for (const Case& c : cases) {
        if (c.damage) c.damage(WriteImage(OneDiskGroup(std::string("Dg-") + c.name), c.name));
        arguments += " " + folder.File(c.name);
    }
    const strata_test::ProgramRun run = Dump(arguments);
    EXPECT_EQ(1, run.exitCode);
    for (const Case& c : cases) {
        EXPECT_TRUE(Contains(LineAbout(run.err, folder.File(c.name)), c.reason)) << c.name << "\n" << run.err;
    }
    const json dumped = json::parse(run.out);
    EXPECT_EQ(1u, dumped.at(guids["good.img"]).at("volumes").size());
    EXPECT_EQ(0u, dumped.at(guids["blank.img"]).at("volumes").size());  // an entry, with empty maps
}

TEST_F(StrataLdmCommand, APartialDatabaseIsPrintedWithWhatItLacks) {
    json group = OneDiskGroup("Partial-Dg0");
    group["disks"].push_back({{"name", "Disk2"}});
    const std::string path = WriteImage(group, "partial.img");
    // Blank the type byte of this disk's record (the first disk record): its
    // partition then names a disk the database lacks; Disk2's record stays.
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::uint64_t at = AreaStart() + 18 * kSector;
    while (at + kVblkSize <= bytes.size() && bytes[at + kVblkTypeOffset] != char(kTypeDiskV4)) at += kVblkSize;
    Patch(path, at + kVblkTypeOffset, {0});
    const strata_test::ProgramRun run = Dump(path);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_TRUE(Contains(run.err, path + ": partial database: no disk record of this disk")) << run.err;
    EXPECT_TRUE(Contains(run.err, path + ": partial database: 1 partition record names a disk record that is missing"))
        << run.err;
    const json dumped = json::parse(run.out).at(guids["partial.img"]);
    EXPECT_EQ(1u, dumped.at("disks").size());
    EXPECT_EQ(1u, dumped.at("partitions").size());
}

// A partition's Start of 2^55 sectors is 2^64 bytes: the dump says that the
// plug-in leaves the property out.
TEST_F(StrataLdmCommand, SectorFieldsPast64BitsOfBytesAreNamed) {
    const std::string path = WriteImage(OneDiskGroup("Far-Dg0"), "far.img");
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::uint64_t at = AreaStart();
    while (at + kVblkSize <= bytes.size() && bytes[at + kVblkTypeOffset] != kTypePartition) at += kVblkSize;
    ASSERT_LT(at + kVblkSize, bytes.size());
    // ObjectID and Name (each a length byte and its bytes), 4 zero bytes and
    // the commit ID come before the Start.
    std::uint64_t start = at + kVblkBodyOffset;
    start += 1 + bytes[start];
    start += 1 + bytes[start] + 4 + 8;
    Patch(path, start, {0x00, 0x80, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(Contains(Dump(path).err, "its Start of 36028797018963968 sectors passes 64 bits of bytes, so "
                                         "StartingOffset is left out"));
}

// Blocks the reader drops are counted: the pieces of a record longer than one
// block (a long name), and a record whose ObjectID an earlier one has.
TEST_F(StrataLdmCommand, BlocksLeftOutOfTheDatabaseAreCounted) {
    json group = OneDiskGroup("Dropped-Dg0", std::string(100, 'L'));
    group["volumes"].push_back({{"name", "Second"}, {"partitions", {{{"disk", "Disk1"}, {"start", 200}, {"size", 10}}}}});
    group["volumes"].push_back({{"name", "Third"}, {"partitions", {{{"disk", "Disk1"}, {"start", 300}, {"size", 10}}}}});
    const std::string path = WriteImage(group, "dropped.img");
    EXPECT_TRUE(Contains(Dump(path).err, path + ": left out: 2 blocks are part of a record longer than one block"));

    // The third volume's block becomes a copy of the second's.
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint64_t> volumes;
    for (std::uint64_t at = AreaStart(); at + kVblkSize <= bytes.size(); at += kVblkSize) {
        if (bytes[at + kVblkTypeOffset] == char(kTypeVolume) && bytes[at + kVblkRecordCountOffset + 1] == 1) {
            volumes.push_back(at);
        }
    }
    ASSERT_EQ(2u, volumes.size());
    Patch(path, volumes[1] + kVblkUpdateStatusOffset,
          std::vector<unsigned char>(bytes.begin() + static_cast<long>(volumes[0] + kVblkUpdateStatusOffset),
                                     bytes.begin() + static_cast<long>(volumes[0] + kVblkSize)));
    const strata_test::ProgramRun run = Dump(path);
    EXPECT_TRUE(Contains(run.err, path + ": left out: 1 record repeats the ObjectID of an earlier record of its "
                                         "kind and is left out"))
        << run.err;
}

TEST_F(StrataLdmCommand, SectorSizesOutsideTheRangeOrAfterAnImageAndDuplicateKeysAreRefused) {
    const std::string image = WriteImage(OneDiskGroup("Good-Dg0"), "good.img");
    for (const char* size : {"3", "1000", "131072", "2147483648", "-1", "0", "4k", ""}) {
        const strata_test::ProgramRun run = Dump(std::string("--sector-size '") + size + "' " + image);
        EXPECT_EQ(2, run.exitCode) << size;
        EXPECT_TRUE(Contains(run.err, "--sector-size needs a power of two from 512 to 65536")) << size << run.err;
    }
    EXPECT_EQ(0, Dump("--sector-size 512 " + image).exitCode);
    const strata_test::ProgramRun late = Dump(image + " --sector-size 4096 " + image);
    EXPECT_EQ(2, late.exitCode);
    EXPECT_TRUE(Contains(late.err, "--sector-size must come before the images")) << late.err;

    std::ofstream(folder.File("twice.json")) << R"({"sectorSize": 4096, "sectorSize": 512, "disks": [{}]})";
    const strata_test::ProgramRun twice =
        strata_test::RunProgram(kTool + " write " + folder.File("twice.json") + " " + folder.File("t.img"));
    EXPECT_EQ(1, twice.exitCode);
    EXPECT_TRUE(Contains(twice.err, "twice.json: the key \"sectorSize\" is given twice")) << twice.err;
}

TEST_F(StrataLdmCommand, OutputThatCannotBeWrittenFailsTheRun) {
    const std::string image = WriteImage(OneDiskGroup("Good-Dg0"), "good.img");
    for (const char* output : {">/dev/full", ">&-"}) {
        const strata_test::ProgramRun run = Dump(image + " " + output);
        EXPECT_EQ(1, run.exitCode) << output;
        EXPECT_TRUE(Contains(run.err, "strata-ldm: cannot write the output")) << output << ": " << run.err;
    }
}

TEST_F(StrataLdmCommand, WritingNeverLeavesAPartialImageNorItsFolder) {
    // More volumes than a 64-sector database area holds: the failure comes
    // after the image file was begun.
    json crowded = OneDiskGroup("Crowded-Dg0");
    crowded["configSectors"] = 64;
    for (int i = 0; i < 150; ++i) {
        crowded["volumes"].push_back({{"name", "V" + std::to_string(i)},
                                      {"partitions", {{{"disk", "Disk1"}, {"start", 100 + i}, {"size", 1}}}}});
    }
    std::ofstream(folder.File("crowded.json")) << crowded.dump();
    const strata_test::ProgramRun crowdedRun =
        strata_test::RunProgram(kTool + " write " + folder.File("crowded.json") + " " + folder.File("new.img"));
    EXPECT_EQ(1, crowdedRun.exitCode);
    EXPECT_TRUE(Contains(crowdedRun.err, "too small for the records")) << crowdedRun.err;

    json escaping = OneDiskGroup("Escape-Dg0");
    escaping["disks"][0]["image"] = "../escaped.img";
    std::ofstream(folder.File("escape.json")) << escaping.dump();
    std::filesystem::create_directory(folder.File("out"));
    const strata_test::ProgramRun escapeRun =
        strata_test::RunProgram(kTool + " write-all " + folder.File("escape.json") + " " + folder.File("out"));
    EXPECT_EQ(1, escapeRun.exitCode);
    EXPECT_TRUE(Contains(escapeRun.err, "escape.json: disks[0].image must name a file inside the target folder"))
        << escapeRun.err;

    ASSERT_EQ(0, mkfifo(folder.File("pipe.json").c_str(), 0600));
    const strata_test::ProgramRun pipeRun =
        strata_test::RunProgram("timeout 60 " + kTool + " write-all " + folder.File("pipe.json") + " " + folder.File("out"));
    EXPECT_EQ(1, pipeRun.exitCode);
    EXPECT_TRUE(Contains(pipeRun.err, "pipe.json: not a regular file")) << pipeRun.err;

    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"crowded.json", "escape.json", "out", "pipe.json"}), left);
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("out")));
}

// An image is written only where nothing is yet, or with --force over an
// earlier dynamic-disk image; links, other files, device nodes and two disks
// sharing one image name are refused before anything is written.
TEST_F(StrataLdmCommand, WritingReplacesOnlyEarlierImagesAndFollowsNoLink) {
    namespace fs = std::filesystem;
    json two = OneDiskGroup("Two-Dg0");
    two["disks"].push_back({{"name", "Disk2"}});
    std::ofstream(folder.File("two.json")) << two.dump();
    const std::string group = folder.File("two.json");
    const auto run = [](const std::string& arguments) { return strata_test::RunProgram(kTool + " " + arguments); };
    const auto contents = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    std::ofstream(folder.File("victim")) << "kept";
    fs::create_directories(folder.File("outside"));

    json linked = two;
    linked["disks"][0]["image"] = "sub/one.img";
    std::ofstream(folder.File("linked.json")) << linked.dump();
    fs::create_directories(folder.File("out"));
    fs::create_directory_symlink("../outside", folder.File("out/sub"));
    fs::create_symlink("../victim", folder.File("out/Disk2.img"));
    ASSERT_EQ(0, mkfifo(folder.File("fifo.img").c_str(), 0600));
    std::ofstream(folder.File("notes.img")) << "not an image";
    json shared = two;
    shared["disks"][1]["image"] = "./Disk1.img";
    std::ofstream(folder.File("shared.json")) << shared.dump();
    fs::create_directories(folder.File("fresh"));

    const struct {
        std::string arguments, error;
    } refused[] = {
        {"write-all --force " + folder.File("linked.json") + " " + folder.File("out"),
         "out/sub is a symbolic link; nothing is written through one"},
        {"write-all --force " + group + " " + folder.File("out"), "out/Disk2.img is a symbolic link"},
        {"write --force " + group + " " + folder.File("fifo.img"), "fifo.img exists and is not a regular file"},
        {"write --force " + group + " " + folder.File("notes.img"),
         "notes.img exists and is not a dynamic-disk image; it is not replaced, even with --force"},
        {"write " + group + " " + folder.File("two.json"), "two.json exists; it is not replaced (--force"},
        {"write-all " + folder.File("shared.json") + " " + folder.File("fresh"),
         "disks \"Disk1\" and \"Disk2\" both have the image \"./Disk1.img\""},
    };
    for (const auto& c : refused) {
        const strata_test::ProgramRun result = run(c.arguments);
        EXPECT_EQ(1, result.exitCode) << c.arguments;
        EXPECT_TRUE(Contains(result.err, c.error)) << c.arguments << ": " << result.err;
    }
    EXPECT_EQ("kept", contents(folder.File("victim")));
    EXPECT_EQ("not an image", contents(folder.File("notes.img")));
    EXPECT_TRUE(fs::is_empty(folder.File("outside")));
    EXPECT_TRUE(fs::is_empty(folder.File("fresh")));
    EXPECT_EQ((std::set<std::string>{"Disk2.img", "sub"}), [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.File("out"))) names.insert(entry.path().filename());
        return names;
    }());

    // An earlier image stays without --force and is replaced with it.
    ASSERT_EQ(0, run("write-all " + group + " " + folder.File("fresh")).exitCode);
    const std::string image = folder.File("fresh/Disk1.img");
    const std::string first = contents(image);
    EXPECT_EQ(1, run("write " + group + " " + image).exitCode);
    Patch(image, 0, {'x'});
    EXPECT_EQ(0, run("write --force " + group + " " + image).exitCode);
    EXPECT_EQ(first, contents(image));
}

}  // namespace
