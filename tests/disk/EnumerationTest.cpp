// Device enumeration through SetupAPI on simulated machines.
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using strata_test::CapturedLog;
using strata_test::FixedDisk;

namespace {

strata_sim::Machine DisksWithIds(const std::vector<std::string>& instanceIds) {
    strata_sim::Machine machine;
    std::uint32_t number = 0;
    for (const std::string& id : instanceIds) {
        strata_sim::Device disk = FixedDisk(number++);
        disk.instanceId = id;
        machine.devices.push_back(disk);
    }
    return machine;
}

TEST(DeviceEnumeration, NoDeviceGivesAnEmptyMapAfterOneMessage) {
    strata_sim::ResetMachine();
    CapturedLog log;
    PhysDiskEnum enumerator;
    EXPECT_TRUE(enumerator.EnumerateDevices(kTapeInterface).empty());
    EXPECT_EQ(std::vector<std::string>({"Unable to enumerate the device information."}),
              log.Texts(3));
    EXPECT_EQ(1u, log.Texts(4).size());  // the system's text for ERROR_NO_MORE_ITEMS
}

TEST(DeviceEnumeration, ListsInInstanceIdOrderAndSkipsVirtualDisks) {
    strata_sim::SetMachine(DisksWithIds(
        {"SCSI\\DISK&VEN_B\\1", "STORVSP\\VIRTUAL_DISK\\2", "SCSI\\DISK&VEN_A\\3",
         "SCSI\\virtual&disk\\4"}));
    PhysDiskEnum enumerator;
    DeviceMap devices = enumerator.EnumerateDevices(kDiskInterface);
    std::vector<std::string> ids;
    for (const auto& entry : devices) ids.push_back(entry.first);
    EXPECT_EQ(std::vector<std::string>(
                  {"SCSI\\DISK&VEN_A\\3", "SCSI\\DISK&VEN_B\\1", "SCSI\\virtual&disk\\4"}),
              ids);
    for (const auto& entry : devices) EXPECT_FALSE(entry.second.empty());
}

// Each failure of the device walk loses what it must and no more, with its line.
TEST(DeviceEnumeration, FailuresLoseOnlyTheirDevices) {
    struct Case {
        const char* function;  // failing SetupAPI call, or "" for device B without an interface
        const char* target;
        std::vector<std::string> listed;
        const char* line;
    };
    const Case cases[] = {
        // Device i is paired with interface i: B gets C's interface, C has none.
        {"", "", {"A\\1", "B\\2"}, "Unable to enumerate available device interfaces."},
        {"SetupDiGetDeviceInstanceIdA", "B\\2", {"A\\1", "C\\3"}, "Unable to retrieve the device instance ID."},
        {"SetupDiGetClassDevsA", "", {},
         "Invalid handle to device information list. Unable to enumerate device paths."},
        {"SetupDiEnumDeviceInfo", "", {},
         "Device enumeration stopped at member 64: the system never reported the end of the list."},
    };
    for (const Case& c : cases) {
        strata_sim::Machine machine = DisksWithIds({"A\\1", "B\\2", "C\\3"});
        if (*c.function == 0) {
            machine.devices[1].hasInterface = false;
        } else {
            machine.failures.push_back(strata_test::Fail(c.function, c.target, ERROR_INVALID_PARAMETER));
        }
        strata_sim::SetMachine(machine);
        CapturedLog log;
        std::vector<std::string> ids;
        for (const auto& entry : PhysDiskEnum().EnumerateDevices(kDiskInterface)) ids.push_back(entry.first);
        EXPECT_EQ(c.listed, ids) << c.function;
        EXPECT_EQ(1, log.CountContaining(c.line)) << c.function;
    }
}

// Only 64 failing members in a row end a walk the system never ends; a member
// that answers starts the count again.
TEST(DeviceEnumeration, AnAnsweringMemberRestartsTheCountOfFailures) {
    std::vector<std::string> ids;
    for (int i = 0; i < 66; ++i) ids.push_back("D\\" + std::to_string(i));
    strata_sim::Machine machine = DisksWithIds(ids);
    for (int i = 1; i <= 63; ++i) {
        machine.failures.push_back(strata_test::Fail("SetupDiEnumDeviceInfo", "", ERROR_INVALID_PARAMETER));
        machine.failures.back().index = i;
    }
    strata_sim::SetMachine(machine);
    CapturedLog log;
    std::vector<std::string> listed;
    for (const auto& entry : PhysDiskEnum().EnumerateDevices(kDiskInterface)) listed.push_back(entry.first);
    EXPECT_EQ(std::vector<std::string>({"D\\0", "D\\64", "D\\65"}), listed);
    EXPECT_EQ(0, log.CountContaining("Device enumeration stopped"));
}

// Critical-error dialogs are off while enumerators live, nested or not; the
// host's own flags are kept and the mode in force before comes back exactly.
TEST(DeviceEnumeration, ErrorModeHoldsForTheEnumeratorsLifetime) {
    const UINT hostMode = SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX;
    const UINT before = SetErrorMode(hostMode);
    {
        PhysDiskEnum enumerator;
        EXPECT_EQ(hostMode | SEM_FAILCRITICALERRORS, strata_sim::CurrentErrorMode());
        { PhysDiskEnum inner; }
        EXPECT_EQ(hostMode | SEM_FAILCRITICALERRORS, strata_sim::CurrentErrorMode());
    }
    EXPECT_EQ(hostMode, SetErrorMode(before));
}

}  // namespace
