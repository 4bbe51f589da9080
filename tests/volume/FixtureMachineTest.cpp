// A machine whose disks are the dynamic-disk images written by Windows, each
// dynamic volume presented with the extents Windows reports for it: the
// logical disks carry what the independent reader found. (The drives,
// partitions and group of such a machine are pinned by its golden report.)
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/LDMDBParser.h"
#include "volume/LogicalDiskInformation.h"

#include "tests/support/RecordValue.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>

using namespace strata_col;
using namespace strata_test;
using nlohmann::json;

namespace {

const std::string kFolder = STRATA_FIXTURE_IMAGES;

class FixtureMachine : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string factsPath = kFolder + "/ldm-2003r2-facts.json";
        if (!std::filesystem::exists(factsPath)) GTEST_SKIP() << "no fixture images in " << kFolder;
        std::ifstream in(factsPath);
        facts = json::parse(in);
        group = facts["diskgroups"][0];

        strata_sim::Machine machine;
        std::map<std::string, std::uint32_t> numberOfImage;
        for (const json& image : facts["images"]) {
            const std::uint32_t number = static_cast<std::uint32_t>(machine.devices.size());
            numberOfImage[image.get<std::string>()] = number;
            machine.devices.push_back(FixedDisk(number, kFolder + "/" + image.get<std::string>()));
        }
        std::map<std::string, json> diskOfName, partitionOfName;
        for (const json& disk : group["disks"]) diskOfName[disk["name"]] = disk;
        for (const json& partition : group["partitions"]) partitionOfName[partition["name"]] = partition;
        for (const json& volume : group["volumes"]) {
            strata_sim::Volume presented = NtfsVolume(static_cast<unsigned>(machine.volumes.size()),
                                                      {volume["hint"].get<std::string>() + "\\"});
            presented.length.reset();
            presented.totalBytes.reset();
            for (const json& name : volume["partitions"]) {
                const json& partition = partitionOfName[name];
                const json& disk = diskOfName[partition["disk"]];
                const std::int64_t start = disk["data-start"].get<std::int64_t>() + partition["start"].get<std::int64_t>();
                presented.extents.push_back(Extent(numberOfImage[disk["device"]], start * 512,
                                                   partition["size"].get<std::int64_t>() * 512));
            }
            machine.volumes.push_back(presented);
        }
        strata_sim::SetMachine(machine);

        PhysDiskEnum disks;
        LDMDBParser reader;
        databases = reader.ReadDatabases(disks.EnumerateDevices(kDiskInterface));
    }

    json facts;
    json group;
    DiskDatabaseMap databases;
};

}  // namespace

TEST_F(FixtureMachine, LogicalDisksCarryTheDatabaseLayout) {
    const std::map<std::string, std::string> layoutOfType = {
        {"simple", "Simple"}, {"spanned", "Spanned"}, {"striped", "Striped"},
        {"mirrored", "Mirror"}, {"RAID5", "RAID-5"}};
    std::map<std::string, PropertyMap> byPath;
    for (const PropertyMap& record : LogicalDiskInformation().Collect(databases)) {
        byPath[Value(record, "DeviceID")] = record;
    }
    ASSERT_EQ(group["volumes"].size(), byPath.size());
    for (const json& volume : group["volumes"]) {
        SCOPED_TRACE(volume["name"].get<std::string>());
        const PropertyMap& record = byPath[volume["hint"].get<std::string>() + "\\"];
        EXPECT_EQ(layoutOfType.at(volume["type"]), Value(record, "VolumeLayout"));
        EXPECT_EQ("ACTIVE", Value(record, "VolumeState"));
        EXPECT_EQ(std::to_string(volume["size"].get<std::uint64_t>() * 512), Value(record, "TotalSpace"));
    }
    // Every drive, volume, raw file and COM object was released; dialogs are back on.
    EXPECT_EQ(0, strata_sim::OpenHandleCount());
    EXPECT_EQ(0, strata_sim::OpenRawFileCount());
    EXPECT_EQ(0, strata_sim::ComBalance());
    EXPECT_EQ(0u, strata_sim::CurrentErrorMode());
}
