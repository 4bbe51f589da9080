// Device-information sets: membership, order, size queries and their errors.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

using namespace strata_sim;
using simtest::InstalledMachine;

namespace {

Machine StorageMachine() {
    Machine m;
    m.devices.push_back(simtest::Disk(0, "SCSI\\DISK&VEN_ATA&PROD_FIRST\\4&1&0&000000", 1 << 20));
    Device cd;
    cd.interfaceClass = InterfaceClass::CdRom;
    cd.instanceId = "IDE\\CDROMDRIVE\\5&2&0&0";
    cd.mediaPresent = false;
    m.devices.push_back(cd);
    m.devices.push_back(simtest::Disk(1, "SCSI\\DISK&VEN_ATA&PROD_SECOND\\4&1&0&000100", 1 << 20));
    Device tape;
    tape.interfaceClass = InterfaceClass::Tape;
    tape.instanceId = "SCSI\\SEQUENTIAL\\6&3&0&0";
    m.devices.push_back(tape);
    return m;
}

struct Member {
    std::string id;
    std::string path;
};

// Walks a class the way the plug-in does, pairing device i with interface i.
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
        std::vector<char> id(idSize);
        EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set, &device, id.data(), idSize, nullptr));
        DWORD detailSize = 0;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &detailSize, nullptr));
        std::vector<char> buffer(detailSize + 8);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = 8;
        EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, detailSize, nullptr, nullptr));
        members.push_back({id.data(), detail->DevicePath});
    }
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return members;
}

}  // namespace

TEST(SetupApi, ListsTheDevicesOfOneInterfaceClassInDescriptionOrder) {
    InstalledMachine machine(StorageMachine());
    const std::vector<Member> disks = Walk(simtest::kDiskInterface);
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_EQ(disks[0].id, "SCSI\\DISK&VEN_ATA&PROD_FIRST\\4&1&0&000000");
    EXPECT_EQ(disks[0].path,
              "\\\\?\\scsi#disk&ven_ata&prod_first#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(disks[1].id, "SCSI\\DISK&VEN_ATA&PROD_SECOND\\4&1&0&000100");
    ASSERT_EQ(Walk(simtest::kCdromInterface).size(), 1u);
    ASSERT_EQ(Walk(simtest::kTapeInterface).size(), 1u);
    EXPECT_TRUE(Walk(simtest::kFloppyInterface).empty());
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(SetupApi, AnUnknownClassIsAnEmptySetNotAnInvalidHandle) {
    InstalledMachine machine(StorageMachine());
    const GUID zero = {};
    HDEVINFO set = SetupDiGetClassDevsA(&zero, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(SetupApi, SizeQueriesAndStructureSizesFollowWindows) {
    InstalledMachine machine(StorageMachine());
    const GUID& cls = simtest::kDiskInterface;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = 28;  // a 32-bit caller's size
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    device.cbSize = sizeof(device);
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));

    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &device, nullptr, 0, &required));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, std::string("SCSI\\DISK&VEN_ATA&PROD_FIRST\\4&1&0&000000").size() + 1);
    std::vector<char> id(required);
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &device, id.data(), required - 1, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof(iface);
    ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 0, &iface));
    SP_DEVINFO_DATA owner = {};
    owner.cbSize = sizeof(owner);
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &required, &owner));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    const std::string path = "\\\\?\\scsi#disk&ven_ata&prod_first#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
    EXPECT_EQ(required, 4 + path.size() + 1);
    EXPECT_EQ(owner.DevInst, device.DevInst);  // the device is reported even by the size query

    std::vector<char> buffer(required);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
    detail->cbSize = 6;  // the 32-bit size is wrong on 64-bit Windows
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, required, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    detail->cbSize = 8;
    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, required, nullptr, nullptr));
    EXPECT_EQ(std::string(detail->DevicePath), path);
    SetupDiDestroyDeviceInfoList(set);
}

TEST(SetupApi, DevicesWithoutInterfacesAndAbsentDevices) {
    Machine m = StorageMachine();
    m.devices[0].hasInterface = false;  // the first disk has no interface
    Device gone = simtest::Disk(7, "USBSTOR\\DISK\\GONE", 1 << 20);
    gone.present = false;
    m.devices.push_back(gone);
    InstalledMachine machine(m);
    const GUID& cls = simtest::kDiskInterface;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 1, &device));  // two present devices
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 2, &device));
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof(iface);
    EXPECT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 0, &iface));  // one interface
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &cls, 1, &iface));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    SetupDiDestroyDeviceInfoList(set);
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(SetupApi, AnInjectedFailureAtOneMemberIndexLeavesTheOthers) {
    Machine m = StorageMachine();
    m.devices.push_back(simtest::Disk(2, "SCSI\\DISK&VEN_ATA&PROD_THIRD\\4&1&0&000200", 1 << 20));
    Failure f;
    f.call = "SetupDiEnumDeviceInfo";
    f.index = 1;
    f.error = ERROR_INVALID_DATA;
    m.failures.push_back(f);
    InstalledMachine machine(m);
    const GUID& cls = simtest::kDiskInterface;
    HDEVINFO set = SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "The data is invalid.\r\n");
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 2, &device));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 3, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    SetupDiDestroyDeviceInfoList(set);
}
