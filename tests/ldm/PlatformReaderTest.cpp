// The reader on the plug-in's own path, the simulated machine's C run-time
// and DeviceIoControl, when calls fail.
#include "ldm/LDMDBParser.h"
#include "platform/sim/SimMachine.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/DiskImageWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

using namespace strata_col;

namespace {

class PlatformReader : public ::testing::Test {
protected:
    void SetUp() override {
        const nlohmann::json description = {
            {"diskSectors", 8192}, {"configSectors", 256},
            {"group", {{"name", "Sim-Dg0"}}},
            {"disks", {{{"name", "Disk1"}, {"guid", "aaaaaaaa-0000-0000-0000-000000000001"}},
                       {{"name", "Disk2"}, {"guid", "aaaaaaaa-0000-0000-0000-000000000002"}}}},
            {"volumes", {{{"name", "V1"}, {"layout", "spanned"},
                          {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 1000}},
                                          {{"disk", "Disk2"}, {"start", 0}, {"size", 1000}}}}}}}};
        const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
        const strata_tools::DiskImageWriter writer(group);
        writer.Write("Disk1", folder_.File("disk1.img"));
        writer.Write("Disk2", folder_.File("disk2.img"));
        std::ofstream basic(folder_.File("basic.img"), std::ios::binary);
        basic.seekp(8192 * 512 - 1);
        basic.put('\0');
    }

    // Installs disks 0 (basic), 1 and 2 (dynamic) with the given failures;
    // returns the device paths in device order.
    std::vector<std::string> Install(const std::vector<strata_sim::Failure>& failures) {
        strata_sim::Machine machine;
        const char* images[] = {"basic.img", "disk1.img", "disk2.img"};
        for (std::uint32_t n = 0; n < 3; ++n) {
            strata_sim::Device device;
            device.instanceId = "SCSI\\DISK&VEN_SIM\\" + std::to_string(n);
            device.deviceNumber = n;
            device.image = folder_.File(images[n]);
            machine.devices.push_back(device);
        }
        machine.failures = failures;
        strata_sim::SetMachine(machine);
        std::vector<std::string> paths;
        for (const strata_sim::Device& device : strata_sim::CurrentMachine().devices) {
            paths.push_back(device.devicePath);
        }
        return paths;
    }

    static DeviceMap Devices(const std::vector<std::string>& paths) {
        DeviceMap devices;
        for (std::size_t i = 0; i < paths.size(); ++i) devices.insert({std::to_string(i), paths[i]});
        return devices;
    }

    void TearDown() override {
        EXPECT_EQ(0, strata_sim::OpenRawFileCount());
        EXPECT_EQ(0, strata_sim::OpenHandleCount());
        strata_sim::ResetMachine();
    }

    strata_test::TempFolder folder_;
};

TEST_F(PlatformReader, ReadsEveryDynamicDiskAndSkipsTheBasicOne) {
    const std::vector<std::string> paths = Install({});
    LDMDBParser parser;
    const DiskDatabaseMap databases = parser.ReadDatabases(Devices(paths));
    ASSERT_EQ(2u, databases.size());
    for (const auto& entry : databases) {
        EXPECT_EQ(1u, entry.second->PartitionsOfDisk(entry.first).size()) << entry.first;
    }
    EXPECT_EQ("", parser.GetDiskGuid(paths[0]));
    EXPECT_EQ("aaaaaaaa-0000-0000-0000-000000000002", parser.GetDiskGuid(paths[2]));
    EXPECT_EQ("aaaaaaaa-0000-0000-0000-000000000001", parser.GetDiskGuid("\\\\.\\PHYSICALDRIVE1"));
}

TEST_F(PlatformReader, FailingCallsLeaveTheirDriveOutOrEmpty) {
    const std::vector<std::string> names = Install({});
    strata_sim::Failure geometry;
    geometry.call = "DeviceIoControl";
    geometry.controlCode = IOCTL_DISK_GET_DRIVE_GEOMETRY;
    geometry.target = names[1];
    strata_sim::Failure areaRead;  // the second read of the drive is its database area
    areaRead.call = "_read";
    areaRead.target = names[2];
    areaRead.nth = 2;
    const std::vector<std::string> paths = Install({geometry, areaRead});
    const DiskDatabaseMap databases = LDMDBParser().ReadDatabases(Devices(paths));
    ASSERT_EQ(1u, databases.size());
    EXPECT_TRUE(databases.at("aaaaaaaa-0000-0000-0000-000000000002")->volumes.empty());
}

TEST_F(PlatformReader, UnopenableDrivesAndAMissingLengthAreSafe) {
    const std::vector<std::string> names = Install({});
    strata_sim::Failure open;
    open.call = "_open";
    open.target = names[1];
    // Without the length control code the drive's length comes from its
    // geometry, which counts no whole cylinder of these 4 MiB disks: the
    // database lies in the partial cylinder past them.
    strata_sim::Failure length;
    length.call = "DeviceIoControl";
    length.controlCode = IOCTL_DISK_GET_LENGTH_INFO;
    const std::vector<std::string> paths = Install({open, length});
    LDMDBParser parser;
    const DiskDatabaseMap databases = parser.ReadDatabases(Devices(paths));
    ASSERT_EQ(1u, databases.size());
    EXPECT_EQ(1u, databases.begin()->second->volumes.size());
    EXPECT_EQ("", parser.GetDiskGuid(paths[1]));
}

}  // namespace
