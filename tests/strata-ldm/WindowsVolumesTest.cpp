// strata-ldm's volumes read out of the images Windows Server 2003 R2 wrote:
// every volume holds the NTFS file system Windows made, with test.txt in its
// root, so ntfs-3g's user-space tools are the judge of the bytes extracted.
// A mirror or RAID-5 member left out must change nothing; verify must find
// nothing on the intact images and exactly the row damaged in a copy.
#include "tests/support/Fixtures.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using nlohmann::json;

namespace windows_volumes_test {

const std::string kTool = std::string(STRATA_BIN_DIR) + "/strata-ldm";
const std::uint64_t kDataStart = 63 * 512;  // every image's data region
const std::uint64_t kStripe = 128 * 512;

std::string Images(const std::string& leftOut = "") {
    std::string list;
    for (const std::string& name : strata_test::FixtureImageNames()) {
        if (name != leftOut) list += " " + strata_test::FixtureImage(name);
    }
    return list;
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class WindowsVolumes : public ::testing::Test {
protected:
    void SetUp() override {
        STRATA_REQUIRE_FIXTURES();
        if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    }

    // The volume's bytes as extracted from `images`; empty when it fails.
    std::string Extract(const std::string& volume, const std::string& images) {
        lastOut = folder.File(std::to_string(++extracted) + ".vol");
        const strata_test::ProgramRun run =
            strata_test::RunProgram(kTool + " extract --volume '" + volume + "' --out " + lastOut + images);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return Contents(lastOut);
    }

    strata_test::TempFolder folder;
    int extracted = 0;
    std::string lastOut;
};

TEST_F(WindowsVolumes, EveryVolumeExtractsAsTheNtfsWindowsWrote) {
    if (strata_test::RunProgram("command -v ntfsls ntfscat ntfsinfo").out.empty()) {
        GTEST_SKIP() << "ntfs-3g is not installed";
    }
    for (const json& facts : strata_test::FixtureFacts()["diskgroups"][0]["volumes"]) {
        const std::string name = facts["name"];
        // Named by drive hint, GUID and name in turn.
        const std::string choice = name == "Raid1" ? facts["hint"].get<std::string>()
                                   : name == "Stripe1" ? "{" + facts["guid"].get<std::string>() + "}"
                                                       : name;
        const std::string bytes = Extract(choice, Images());
        ASSERT_EQ(bytes.size(), facts["size"].get<std::uint64_t>() * 512) << name;
        EXPECT_EQ(bytes.substr(3, 8), "NTFS    ") << name;
        EXPECT_EQ(bytes.substr(0, 512), bytes.substr(bytes.size() - 512)) << name << ": backup boot sector";
        const std::string path = lastOut;
        const strata_test::ProgramRun list = strata_test::RunProgram("ntfsls -f " + path);
        EXPECT_EQ(list.exitCode, 0) << name << list.err;
        EXPECT_NE(list.out.find("test.txt"), std::string::npos) << name << list.out;
        const strata_test::ProgramRun text = strata_test::RunProgram("ntfscat -f " + path + " test.txt");
        EXPECT_EQ(text.exitCode, 0) << name << text.err;
        EXPECT_FALSE(text.out.empty()) << name;
        EXPECT_EQ(strata_test::RunProgram("ntfsinfo -m -f " + path).exitCode, 0) << name;
    }
}

TEST_F(WindowsVolumes, AnyOneRaid5OrMirrorMemberLeftOutGivesTheSameBytes) {
    const std::string raid = Extract("Raid1", Images());
    for (const char* member : {"ldm-2003r2-raid5-1.img", "ldm-2003r2-raid5-2.img", "ldm-2003r2-raid5-3.img"}) {
        EXPECT_TRUE(Extract("Raid1", Images(member)) == raid) << "without " << member;
    }
    const std::string mirror = Extract("Volume3", Images());
    for (const char* member : {"ldm-2003r2-mirrored-1.img", "ldm-2003r2-mirrored-2.img"}) {
        EXPECT_TRUE(Extract("Volume3", Images(member)) == mirror) << "without " << member;
    }
    // A spanned volume has no stand-in: its missing disk is named.
    const strata_test::ProgramRun spanned = strata_test::RunProgram(
        kTool + " extract --volume Volume2 --out " + folder.File("v2") + Images("ldm-2003r2-spanned-1.img"));
    EXPECT_EQ(spanned.exitCode, 1);
    EXPECT_NE(spanned.err.find("Volume2 cannot be read: missing Disk2"), std::string::npos) << spanned.err;
}

TEST_F(WindowsVolumes, VolumesTellWhatTheImagesGivenHold) {
    const strata_test::ProgramRun run =
        strata_test::RunProgram(kTool + " volumes --format json" + Images("ldm-2003r2-raid5-2.img"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json groups = json::parse(run.out)["groups"];
    ASSERT_EQ(groups.size(), 1u);
    std::map<std::string, std::string> reading;
    for (const json& volume : groups[0]["volumes"]) reading[volume["name"]] = volume["reading"];
    EXPECT_EQ(reading, (std::map<std::string, std::string>{{"Raid1", "degraded"}, {"Stripe1", "full"},
                                                           {"Volume1", "full"}, {"Volume2", "full"},
                                                           {"Volume3", "full"}, {"Volume4", "full"}}));
    // Every run of the extent maps holds the volume's bytes at its offset.
    const json mapped = json::parse(strata_test::RunProgram(kTool + " volumes --format json --map" + Images()).out);
    for (const json& volume : mapped["groups"][0]["volumes"]) {
        const std::string bytes = Extract(volume["name"], Images());
        std::uint64_t covered = 0;
        for (const json& run : volume["map"]) {
            if (run["plex"] != 1) continue;
            std::ifstream image(run["image"].get<std::string>(), std::ios::binary);
            const std::uint64_t length = run["length"];
            for (const std::uint64_t at : {std::uint64_t(0), length - 16}) {
                std::string piece(16, '\0');
                image.seekg(static_cast<std::streamoff>(run["imageOffset"].get<std::uint64_t>() + at));
                image.read(&piece[0], 16);
                ASSERT_EQ(piece, bytes.substr(run["volumeOffset"].get<std::uint64_t>() + at, 16)) << run.dump();
            }
            covered += length;
        }
        EXPECT_EQ(covered, bytes.size()) << volume["name"];
    }
    // The text form names each member where it lies.
    const std::string text = strata_test::RunProgram(kTool + " volumes" + Images()).out;
    for (const std::string& line :
         {"      Disk6-01 on Disk6 (" + strata_test::FixtureImage("ldm-2003r2-mirrored-1.img") + ") bytes 32256+49283072 at 0\n",
          "      column 1: Disk9-01 on Disk9 (" + strata_test::FixtureImage("ldm-2003r2-raid5-2.img") +
              ") bytes 32256+49283072 at 0\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << text;
    }
    // The device-mapper tables: stripes in column order, RAID-5 rotation.
    const std::string tables = strata_test::RunProgram(kTool + " volumes --dm-table" + Images()).out;
    const std::string image4 = strata_test::FixtureImage("ldm-2003r2-striped-1.img");
    const std::string image5 = strata_test::FixtureImage("ldm-2003r2-striped-2.img");
    EXPECT_NE(tables.find("Stripe1: 0 122880 striped 2 128 " + image4 + " 63 " + image5 + " 63\n"),
              std::string::npos) << tables;
    EXPECT_NE(tables.find("Raid1: 0 192512 raid raid5_ls 2 128 nosync 3 - "), std::string::npos) << tables;
}

TEST_F(WindowsVolumes, VerifyFindsNothingIntactAndExactlyTheDamagedRowOrSector) {
    const std::string verifyRaid = kTool + " verify --volume Raid1" + Images();
    const strata_test::ProgramRun intact = strata_test::RunProgram(verifyRaid);
    EXPECT_EQ(intact.exitCode, 0) << intact.out << intact.err;
    EXPECT_EQ(json::parse(intact.out)["parityMismatches"], json::array());
    EXPECT_EQ(strata_test::RunProgram(kTool + " verify --volume Volume3" + Images()).exitCode, 0);

    // Copies with one byte changed: row 300 of Disk9, and a sector of the
    // second plex of the mirror.
    std::string copies;
    for (const std::string& name : strata_test::FixtureImageNames()) {
        const std::string copy = folder.File(name);
        std::filesystem::copy_file(strata_test::FixtureImage(name), copy);
        copies += " " + copy;
    }
    const auto damage = [&](const std::string& name, std::uint64_t offset) {
        std::fstream file(folder.File(name), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(offset));
        file.put('\x5a');
    };
    damage("ldm-2003r2-raid5-2.img", kDataStart + 300 * kStripe + 4000);
    damage("ldm-2003r2-mirrored-2.img", kDataStart + 777 * 512 + 3);

    const strata_test::ProgramRun raid = strata_test::RunProgram(kTool + " verify --volume Raid1" + copies);
    EXPECT_EQ(raid.exitCode, 1);
    const json rows = json::parse(raid.out)["parityMismatches"];
    ASSERT_EQ(rows.size(), 1u) << raid.out;
    EXPECT_EQ(rows[0]["firstRow"], 300);
    EXPECT_EQ(rows[0]["rows"], 1);
    EXPECT_EQ(rows[0]["volumeOffset"], 300 * 2 * kStripe);

    const strata_test::ProgramRun mirror = strata_test::RunProgram(kTool + " verify --volume H:" + copies);
    EXPECT_EQ(mirror.exitCode, 1);
    const json ranges = json::parse(mirror.out)["mirrorMismatches"];
    ASSERT_EQ(ranges.size(), 1u) << mirror.out;
    EXPECT_EQ(ranges[0]["volumeOffset"], 777 * 512);
    EXPECT_EQ(ranges[0]["length"], 512);
}

}  // namespace windows_volumes_test
