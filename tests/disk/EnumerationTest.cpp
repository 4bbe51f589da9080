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

TEST(DeviceEnumeration, MoreDevicesThanInterfacesEndsAtTheFirstMissingInterface) {
    strata_sim::Machine machine = DisksWithIds({"A\\1", "B\\2", "C\\3"});
    machine.devices[1].hasInterface = false;
    strata_sim::SetMachine(machine);
    CapturedLog log;
    PhysDiskEnum enumerator;
    // Device i is paired with interface i: B gets C's interface, C has none.
    DeviceMap devices = enumerator.EnumerateDevices(kDiskInterface);
    EXPECT_EQ(2u, devices.size());
    EXPECT_EQ(0u, devices.count("C\\3"));
    EXPECT_TRUE(log.Has("Unable to enumerate available device interfaces.", 3));
}

TEST(DeviceEnumeration, FailingInstanceIdSkipsOneDeviceOnly) {
    strata_sim::Machine machine = DisksWithIds({"A\\1", "B\\2", "C\\3"});
    strata_sim::Failure failure = strata_test::Fail("SetupDiGetDeviceInstanceIdA", "B\\2",
                                                    ERROR_INVALID_PARAMETER);
    machine.failures.push_back(failure);
    strata_sim::SetMachine(machine);
    CapturedLog log;
    PhysDiskEnum enumerator;
    DeviceMap devices = enumerator.EnumerateDevices(kDiskInterface);
    EXPECT_EQ(2u, devices.size());
    EXPECT_EQ(1u, devices.count("C\\3"));
    EXPECT_TRUE(log.Has("Unable to retrieve the device instance ID.", 3));
}

TEST(DeviceEnumeration, InvalidDeviceSetIsLogged) {
    strata_sim::Machine machine = DisksWithIds({"A\\1"});
    machine.failures.push_back(
        strata_test::Fail("SetupDiGetClassDevsA", "", ERROR_INVALID_PARAMETER));
    strata_sim::SetMachine(machine);
    CapturedLog log;
    PhysDiskEnum enumerator;
    EXPECT_TRUE(enumerator.EnumerateDevices(kDiskInterface).empty());
    EXPECT_TRUE(log.Has(
        "Invalid handle to device information list. Unable to enumerate device paths.", 3));
}

TEST(DeviceEnumeration, WalkEndsWhenTheSystemNeverReportsTheEnd) {
    strata_sim::Machine machine = DisksWithIds({"A\\1"});
    machine.failures.push_back(strata_test::Fail("SetupDiEnumDeviceInfo", "", ERROR_INVALID_DATA));
    strata_sim::SetMachine(machine);
    CapturedLog log;
    PhysDiskEnum enumerator;
    EXPECT_TRUE(enumerator.EnumerateDevices(kDiskInterface).empty());
    EXPECT_EQ(1, log.CountContaining("the system never reported the end of the list"));
}

TEST(DeviceEnumeration, InterfaceTypeNamesAreLoggedInNameOrder) {
    PhysDiskEnum enumerator;
    CapturedLog log;
    EXPECT_EQ("Tape", enumerator.InterfaceTypeName(kTapeInterface));
    EXPECT_EQ(std::vector<std::string>({"CD-ROM", "Disk", "Diskette", "Tape"}), log.Texts(4));
    CapturedLog again;
    EXPECT_EQ("Unknown Media - Disk", enumerator.InterfaceTypeName(kNullInterface));
    EXPECT_EQ(4u, again.Texts(4).size());
    EXPECT_EQ("CD-ROM", enumerator.InterfaceTypeName(kCdromInterface));
}

TEST(DeviceEnumeration, ErrorModeHoldsForTheEnumeratorsLifetime) {
    {
        PhysDiskEnum enumerator;
        EXPECT_EQ(static_cast<unsigned>(SEM_FAILCRITICALERRORS), strata_sim::CurrentErrorMode());
    }
    EXPECT_EQ(0u, strata_sim::CurrentErrorMode());
}

}  // namespace
