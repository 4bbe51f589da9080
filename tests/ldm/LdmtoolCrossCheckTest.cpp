// Images written by strata-ldm, decoded by ldmtool (an independent reader)
// and by strata-ldm dump, describe the same group.
#include "ldm/LDMDBParser.h"
#include "ldm/LDMDataBase.h"
#include "tests/ldm/RecordReading.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <set>

using nlohmann::json;
using strata_col::NormalizedGuid;

namespace {

const char kLdmtool[] = "/usr/bin/ldmtool";

std::string Run(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

json RunJson(const std::string& command) {
    const json parsed = json::parse(Run(command), nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << command;
    return parsed;
}

struct CrossCheckCase {
    const char* name;
    int version;
    // Classic: four MBR disks with the data region at sector 63. Modern: one
    // such disk, one MBR disk aligned to 1 MiB and two GPT disks.
    bool modern;
};

json Disks(bool modern) {
    if (!modern) {
        return json::array({{{"name", "Disk1"}}, {{"name", "Disk2"}}, {{"name", "Disk3"}},
                            {{"name", "Disk4"}}});
    }
    return json::array({{{"name", "Disk1"}},
                        {{"name", "Disk2"}, {"dataStart", 2048}},
                        {{"name", "Disk3"}, {"style", "gpt"}},
                        {{"name", "Disk4"}, {"style", "gpt"}, {"reservedSectors", 65536}}});
}

json Description(const CrossCheckCase& variant) {
    return json{
        {"group", {{"name", "Cross-Dg0"}, {"version", variant.version}}},
        {"diskSectors", 204800},
        {"disks", Disks(variant.modern)},
        {"volumes", json::array({
            {{"name", "Volume1"}, {"layout", "simple"}, {"hint", "E:"},
             {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 20480}}}}},
            {{"name", "Volume2"}, {"layout", "spanned"}, {"hint", "F:"},
             {"partitions", {{{"disk", "Disk1"}, {"start", 20480}, {"size", 10240}},
                             {{"disk", "Disk2"}, {"start", 0}, {"size", 8192}}}}},
            {{"name", "Stripe1"}, {"layout", "striped"},
             {"partitions", {{{"disk", "Disk2"}, {"start", 8192}, {"size", 16384}},
                             {{"disk", "Disk3"}, {"start", 0}, {"size", 16384}}}}},
            {{"name", "Mirror1"}, {"layout", "mirror"}, {"hint", "H:"},
             {"partitions", {{{"disk", "Disk3"}, {"start", 16384}, {"size", 12288}},
                             {{"disk", "Disk4"}, {"start", 0}, {"size", 12288}}}}},
            {{"name", "Raid1"}, {"layout", "raid5"}, {"hint", "I:"},
             {"partitions", {{{"disk", "Disk2"}, {"start", 24576}, {"size", 8192}},
                             {{"disk", "Disk3"}, {"start", 28672}, {"size", 8192}},
                             {{"disk", "Disk4"}, {"start", 12288}, {"size", 8192}}}}}})}};
}

const json* FindByName(const json& table, const std::string& name) {
    for (const auto& entry : table.items()) {
        if (entry.value().value("Name", "") == name) return &entry.value();
    }
    return nullptr;
}

strata_col::RecordMap Record(const json& record) {
    strata_col::RecordMap map;
    for (const auto& field : record.items()) map[field.key()] = field.value().get<std::string>();
    return map;
}

strata_col::LDMDataBase Database(const json& dumped) {
    strata_col::LDMDataBase database;
    for (const auto& entry : dumped["components"].items())
        database.components[entry.key()] = Record(entry.value());
    return database;
}

class LdmtoolCrossCheck : public ::testing::TestWithParam<CrossCheckCase> {};

TEST_P(LdmtoolCrossCheck, BothReadersSeeTheSameGroup) {
    if (!std::ifstream(kLdmtool).good()) {
        GTEST_SKIP() << "ldmtool is not installed";
    }
    strata_test::TempFolder folder;
    const std::string tool = std::string(STRATA_BIN_DIR) + "/strata-ldm";
    {
        std::ofstream(folder.File("group.json")) << Description(GetParam()).dump(1);
    }
    ASSERT_EQ(0, std::system((tool + " write-all " + folder.File("group.json") + " " + folder.path()).c_str()));
    std::string images, devices;
    for (const char* disk : {"Disk1", "Disk2", "Disk3", "Disk4"}) {
        images += " " + folder.File(std::string(disk) + ".img");
        devices += " -d " + folder.File(std::string(disk) + ".img");
    }
    const json dump = RunJson(tool + " dump" + images);
    std::set<std::uint64_t> dataStarts;
    const json scan = RunJson(std::string(kLdmtool) + " scan" + images);
    ASSERT_EQ(4u, dump.size());
    ASSERT_EQ(1u, scan.size());
    const std::string groupGuid = scan[0];
    const std::string show = std::string(kLdmtool) + devices + " show ";
    const json group = RunJson(show + "diskgroup " + groupGuid);

    const json& ours = dump.begin().value();
    ASSERT_EQ(1u, ours["diskGroups"].size());
    EXPECT_EQ(group["name"], ours["diskGroups"].begin().value()["Name"]);

    // Disks: names, GUIDs, each image's private-header GUID, and where the
    // private header puts the data region and the database area.
    std::set<std::string> theirDisks;
    strata_tools::ImageFileAccess access;
    strata_col::LDMDBParser parser(access);
    for (const json& name : group["disks"]) {
        theirDisks.insert(name);
        const json disk = RunJson(show + "disk " + groupGuid + " " + name.get<std::string>());
        const json* record = FindByName(ours["disks"], name);
        ASSERT_NE(nullptr, record) << name;
        EXPECT_EQ(NormalizedGuid(disk["guid"]),
                  NormalizedGuid((*record)["DiskID"].get<std::string>()).substr(0, 32)) << name;
        EXPECT_TRUE(dump.contains(disk["guid"].get<std::string>())) << disk.dump();
        const strata_col::PrivateHeader header =
            parser.GetPrivateHeader(folder.File(name.get<std::string>() + ".img"));
        EXPECT_EQ(disk["guid"], header.diskGuid) << name;
        EXPECT_EQ(disk["data-start"].get<std::uint64_t>(), header.logicalDiskStart) << name;
        EXPECT_EQ(disk["metadata-start"].get<std::uint64_t>(), header.configStart) << name;
        dataStarts.insert(header.logicalDiskStart);
    }
    EXPECT_EQ(theirDisks.size(), ours["disks"].size());
    if (GetParam().modern) {
        // Every disk counts its partitions from its own origin.
        EXPECT_EQ(4u, dataStarts.size());
        EXPECT_EQ(1u, dataStarts.count(63));
        EXPECT_EQ(1u, dataStarts.count(2048));
    }

    // Volumes: layout and size; partitions: start, size and disk.
    const strata_col::LDMDataBase components = Database(ours);
    EXPECT_EQ(group["volumes"].size(), ours["volumes"].size());
    for (const json& name : group["volumes"]) {
        const json volume = RunJson(show + "volume " + groupGuid + " " + name.get<std::string>());
        const json* record = FindByName(ours["volumes"], name);
        ASSERT_NE(nullptr, record) << name;
        EXPECT_EQ(volume["size"].get<std::uint64_t>(),
                  strata_col::HexTextToNumber((*record)["Size"].get<std::string>())) << name;
        EXPECT_EQ(volume["type"], strata_test::ImpliedLayout(components, Record(*record))) << name;
        EXPECT_EQ(volume.value("hint", ""), record->value("DriveHint", "")) << name;
        for (const json& partName : volume["partitions"]) {
            const json partition = RunJson(show + "partition " + groupGuid + " " + partName.get<std::string>());
            const json* part = FindByName(ours["partitions"], partName);
            ASSERT_NE(nullptr, part) << partName;
            EXPECT_EQ(partition["start"].get<std::uint64_t>(),
                      strata_col::HexTextToNumber((*part)["Start"].get<std::string>())) << partName;
            EXPECT_EQ(partition["size"].get<std::uint64_t>(),
                      strata_col::HexTextToNumber((*part)["Size"].get<std::string>())) << partName;
            EXPECT_EQ(partition["disk"], ours["disks"][(*part)["DiskID"].get<std::string>()]["Name"])
                << partName;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LdmtoolCrossCheck,
                         ::testing::Values(CrossCheckCase{"ClassicVersion3", 3, false},
                                           CrossCheckCase{"ClassicVersion4", 4, false},
                                           CrossCheckCase{"GptAndAlignedVersion4", 4, true}),
                         [](const ::testing::TestParamInfo<CrossCheckCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
