// Device enumeration through SetupAPI.
#include "disk/PhysDiskEnum.h"

#include "collect/DeviceHandle.h"
#include "collect/TextConversions.h"
#include "disk/InterfaceClasses.h"

#include <algorithm>
#include <vector>

namespace strata_col {

namespace {

struct InterfaceType {
    const char* name;
    const GUID* interfaceClass;
};

const InterfaceType kInterfaceTypes[] = {
    {"Disk", &kDiskInterface},
    {"CD-ROM", &kCdromInterface},
    {"Tape", &kTapeInterface},
    {"Diskette", &kFloppyInterface},
};

const DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;
const DWORD kDeviceDataSize = 32;
const DWORD kInterfaceDataSize = 32;
// Size of SP_DEVICE_INTERFACE_DETAIL_DATA_A on 64-bit Windows.
const DWORD kDetailHeaderSize = 8;
const DWORD kErrorNoMoreItems = 259;

// Windows ends every walk with ERROR_NO_MORE_ITEMS; a system that keeps
// failing with other codes must still not hold the query forever.
const DWORD kMaxFailingMembersInRow = 64;
const DWORD kMaxMembers = 65536;

const char kVirtualMarker[] = "VIRTUAL";

}  // namespace

PhysDiskEnum::PhysDiskEnum() : log(LogMessage::Instance()), defaultType("Disk") {
    for (const InterfaceType& type : kInterfaceTypes) {
        interfaceTypes[type.name] = *type.interfaceClass;
    }
}

std::string PhysDiskEnum::InterfaceTypeName(const GUID& interfaceClass) {
    for (const auto& entry : interfaceTypes) {
        log->WriteLevel4(entry.first);
        if (SameGuid(entry.second, interfaceClass)) return entry.first;
    }
    return "Unknown Media - Disk";
}

HANDLE PhysDiskEnum::OpenDevice(const std::string& devicePath) {
    return DeviceHandle::OpenForQueries(devicePath);
}

DeviceMap PhysDiskEnum::EnumerateDevices(const GUID& interfaceClass) {
    DeviceMap devices;
    HDEVINFO set = SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, kPresentInterfaces);
    if (set == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        log->WriteLevel3(
            "Invalid handle to device information list. Unable to enumerate device paths.");
        log->WriteSystemError(error);
        return devices;
    }

    DWORD rememberedError = 0;
    DWORD failingInRow = 0;
    for (DWORD index = 0; rememberedError != kErrorNoMoreItems; ++index) {
        if (failingInRow >= kMaxFailingMembersInRow || index >= kMaxMembers) {
            log->WriteLevel3("Device enumeration stopped at member " + ToDecimalText(index) +
                             ": the system never reported the end of the list.");
            break;
        }
        ++failingInRow;

        SP_DEVINFO_DATA device = {};
        device.cbSize = kDeviceDataSize;
        if (!SetupDiEnumDeviceInfo(set, index, &device)) {
            rememberedError = GetLastError();
            log->WriteLevel3("Unable to enumerate the device information.");
            log->WriteSystemError(rememberedError);
            continue;
        }

        SP_DEVICE_INTERFACE_DATA deviceInterface = {};
        deviceInterface.cbSize = kInterfaceDataSize;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &deviceInterface)) {
            rememberedError = GetLastError();
            log->WriteLevel3("Unable to enumerate available device interfaces.");
            log->WriteSystemError(rememberedError);
            continue;
        }

        DWORD idSize = 0;
        SetupDiGetDeviceInstanceIdA(set, &device, nullptr, 0, &idSize);
        std::vector<char> instanceId(idSize + 1, '\0');
        if (!SetupDiGetDeviceInstanceIdA(set, &device, instanceId.data(), idSize, nullptr)) {
            rememberedError = GetLastError();
            log->WriteLevel3("Unable to retrieve the device instance ID.");
            log->WriteSystemError(rememberedError);
            continue;
        }
        failingInRow = 0;

        DWORD detailSize = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &deviceInterface, nullptr, 0, &detailSize, &device);
        std::vector<char> detailBuffer(detailSize + kDetailHeaderSize, '\0');
        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail =
            reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(detailBuffer.data());
        detail->cbSize = kDetailHeaderSize;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &deviceInterface, detail, detailSize, nullptr,
                                              nullptr)) {
            continue;
        }

        std::string id(instanceId.data());
        if (id.find(kVirtualMarker) != std::string::npos) continue;
        // The path ends at its terminator or at the end of the buffer.
        const char* pathStart = detail->DevicePath;
        const char* bufferEnd = detailBuffer.data() + detailBuffer.size();
        std::string path(pathStart, std::find(pathStart, bufferEnd, '\0'));
        devices.insert(std::make_pair(id, path));
    }

    SetupDiDestroyDeviceInfoList(set);
    return devices;
}

}  // namespace strata_col
