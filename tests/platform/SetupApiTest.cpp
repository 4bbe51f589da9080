// Device-information sets: membership, order, size queries and their errors.
#include <gtest/gtest.h>

#include <cstring>

#include "disk/InterfaceClasses.h"
#include "tests/platform/SimTestSupport.h"
#include "tests/support/SimBuilders.h"

using namespace strata_sim;
using simtest::InstalledMachine;

namespace {

struct Member {
    std::string id;
    std::string path;
};

// Walks a class the way the plug-in does, pairing device i with interface i,
// and checks each size query: it fails with the size that fits exactly (an
// interface detail's counts its 4-byte cbSize), and one byte less fails.
std::vector<Member> Walk(const GUID& cls) {
    std::vector<Member> members;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    for (DWORD i = 0;; ++i) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(set, i, &device)) break;
        SP_DEVICE_INTERFACE_DATA iface = {};
        iface.cbSize = sizeof(iface);
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &cls, i, &iface)) break;
        DWORD idSize = 0;
        EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &device, nullptr, 0, &idSize));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        std::vector<char> id(idSize);
        EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &device, id.data(), idSize - 1, nullptr));
        EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set, &device, id.data(), idSize, nullptr));
        EXPECT_EQ(std::strlen(id.data()) + 1, idSize);
        DWORD detailSize = 0;
        SP_DEVINFO_DATA owner = {};
        owner.cbSize = sizeof(owner);
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &detailSize, &owner));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(owner.DevInst, device.DevInst);  // the device is reported even by the size query
        std::vector<char> buffer(detailSize);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = 8;
        EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, detailSize, nullptr, nullptr));
        EXPECT_EQ(4 + std::strlen(detail->DevicePath) + 1, detailSize);
        members.push_back({id.data(), detail->DevicePath});
    }
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return members;
}

}  // namespace

TEST(SetupApi, ListsTheDevicesOfOneInterfaceClassInDescriptionOrder) {
    InstalledMachine machine(simtest::ProbeMachine());
    const std::vector<Member> disks = Walk(strata_col::kDiskInterface);
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_EQ(disks[0].id, simtest::kFirstDisk);
    EXPECT_EQ(disks[0].path,
              "\\\\?\\scsi#disk&ven_ata&prod_first#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(disks[1].id, simtest::kSecondDisk);
    EXPECT_EQ(Walk(strata_col::kCdromInterface).size(), 1u);
    EXPECT_EQ(Walk(strata_col::kTapeInterface).size(), 1u);
    EXPECT_TRUE(Walk(strata_col::kFloppyInterface).empty());
    EXPECT_TRUE(Walk(strata_col::kNullInterface).empty());  // an empty set, not an invalid handle
    EXPECT_EQ(OpenHandleCount(), 0);
    HDEVINFO set = SetupDiGetClassDevsA(&strata_col::kNullInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// The structure sizes of a 64-bit caller are required.
TEST(SetupApi, StructuresOfAnotherSizeAreRefused) {
    InstalledMachine machine(simtest::ProbeMachine());
    const GUID& cls = strata_col::kDiskInterface;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = 28;  // a 32-bit caller's size
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof(iface);
    ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 0, &iface));
    std::vector<char> buffer(256);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
    detail->cbSize = 6;  // the 32-bit size is wrong on 64-bit Windows
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, 256, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    SetupDiDestroyDeviceInfoList(set);
}

// Absent devices are left out; a device without an interface is listed only as
// a device; a failure injected at one member index leaves the others.
TEST(SetupApi, MembersWithoutInterfacesAbsentOrFailing) {
    Machine m = simtest::ProbeMachine();
    m.devices[0].hasInterface = false;
    Device gone = strata_test::FixedDisk(7, 1 << 20, "USBSTOR\\DISK\\GONE");
    gone.present = false;
    m.devices.push_back(gone);
    m.devices.push_back(strata_test::FixedDisk(2, 1 << 20, "SCSI\\DISK&VEN_ATA&PROD_THIRD\\4&1&0&000200"));
    m.failures.push_back(strata_test::Fail("SetupDiEnumDeviceInfo", "", ERROR_INVALID_DATA));
    m.failures.back().index = 1;
    InstalledMachine machine(m);
    const GUID& cls = strata_col::kDiskInterface;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "The data is invalid.\r\n");
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 2, &device));  // three present devices
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 3, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof(iface);
    EXPECT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 1, &iface));  // two interfaces
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 2, &iface));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    SetupDiDestroyDeviceInfoList(set);
    EXPECT_EQ(OpenHandleCount(), 0);
}
