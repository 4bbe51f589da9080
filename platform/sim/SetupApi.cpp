// Device-information sets of the storage interface classes (SetupAPI).
#include "platform/sim/Guid.h"
#include "platform/sim/SimState.h"

#include <cstring>

using namespace strata_sim;

namespace {

const DWORD kSpintActive = 0x00000001;
// Offset of DevicePath in SP_DEVICE_INTERFACE_DETAIL_DATA_A: the size Windows
// asks for is this plus the path and its terminator.
const DWORD kDetailPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);

// Reserved carries the machine's device index + 1, as Windows keeps its own
// pointer there.
ULONG_PTR DeviceToken(std::size_t device) { return static_cast<ULONG_PTR>(device) + 1; }

bool DeviceFromToken(const DeviceInfoSet& set, ULONG_PTR token, std::size_t& device) {
    if (token == 0 || token > set.machine->Description().devices.size()) return false;
    device = static_cast<std::size_t>(token - 1);
    return true;
}

void FillDeviceData(const DeviceInfoSet& set, std::size_t device, SP_DEVINFO_DATA& data) {
    data.ClassGuid = SetupClassGuid(set.machine->Description().devices[device].interfaceClass);
    data.DevInst = static_cast<DWORD>(device) + 1;
    data.Reserved = DeviceToken(device);
}

std::vector<std::string> SetSubjects(const DeviceInfoSet& set, std::size_t device) {
    return set.machine->DeviceNames(device);
}

}  // namespace

STRATA_SIM_API HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags) {
    (void)enumerator;
    (void)parent;
    SimState& state = State();
    SimCall busy(state);
    if (classGuid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
        return FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    }
    InterfaceClass cls = InterfaceClass::Disk;
    const bool knownClass = classGuid != nullptr && InterfaceClassFromGuid(*classGuid, cls);
    std::vector<std::string> subjects;
    if (classGuid != nullptr) subjects.push_back(GuidText(*classGuid));
    if (knownClass) subjects.push_back(InterfaceClassName(cls));
    DWORD error = 0;
    if (Injected({"SetupDiGetClassDevsA", subjects}, error)) return FailWith(error, INVALID_HANDLE_VALUE);

    DeviceInfoSet set;
    set.machine = state.machine;
    if (classGuid != nullptr) set.interfaceClass = *classGuid;
    const bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
    // Only interface classes are known to this machine; a setup-class query
    // (without DIGCF_DEVICEINTERFACE) finds nothing.
    const bool byInterface = (flags & DIGCF_DEVICEINTERFACE) != 0;
    const std::vector<Device>& devices = set.machine->Description().devices;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = devices[i];
        if ((flags & DIGCF_PRESENT) && !d.present) continue;
        if (!allClasses && !(byInterface && knownClass && d.interfaceClass == cls)) continue;
        set.devices.push_back(i);
        if (d.hasInterface) set.interfaces.push_back(i);
    }
    return state.deviceSets.Add(set);
}

STRATA_SIM_API BOOL SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD memberIndex, PSP_DEVINFO_DATA data) {
    SimState& state = State();
    SimCall busy(state);
    DeviceInfoSet* set = state.deviceSets.Find(handle);
    if (set == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    std::vector<std::string> subjects;
    if (memberIndex < set->devices.size()) subjects = SetSubjects(*set, set->devices[memberIndex]);
    DWORD error = 0;
    if (Injected({"SetupDiEnumDeviceInfo", subjects, 0, memberIndex}, error)) return FailWith(error, FALSE);
    if (memberIndex >= set->devices.size()) return FailWith(ERROR_NO_MORE_ITEMS, FALSE);
    FillDeviceData(*set, set->devices[memberIndex], *data);
    return TRUE;
}

STRATA_SIM_API BOOL SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA device, const GUID* interfaceGuid,
                                                DWORD memberIndex, PSP_DEVICE_INTERFACE_DATA data) {
    SimState& state = State();
    SimCall busy(state);
    DeviceInfoSet* set = state.deviceSets.Find(handle);
    if (set == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    if (interfaceGuid == nullptr) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    // The members: every interface of the class in the set, or those of one device.
    std::vector<std::size_t> members;
    std::size_t only = 0;
    if (device != nullptr && (device->cbSize != sizeof(SP_DEVINFO_DATA) || !DeviceFromToken(*set, device->Reserved, only))) {
        return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    }
    InterfaceClass cls = InterfaceClass::Disk;
    const bool knownClass = InterfaceClassFromGuid(*interfaceGuid, cls);
    for (std::size_t index : set->interfaces) {
        if (device != nullptr && index != only) continue;
        if (knownClass && set->machine->Description().devices[index].interfaceClass == cls) members.push_back(index);
    }
    std::vector<std::string> subjects;
    if (memberIndex < members.size()) subjects = SetSubjects(*set, members[memberIndex]);
    DWORD error = 0;
    if (Injected({"SetupDiEnumDeviceInterfaces", subjects, 0, memberIndex}, error)) return FailWith(error, FALSE);
    if (memberIndex >= members.size()) return FailWith(ERROR_NO_MORE_ITEMS, FALSE);
    data->InterfaceClassGuid = *interfaceGuid;
    data->Flags = kSpintActive;
    data->Reserved = DeviceToken(members[memberIndex]);
    return TRUE;
}

STRATA_SIM_API BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO handle, PSP_DEVINFO_DATA device, PSTR buffer,
                                                DWORD bufferSize, PDWORD requiredSize) {
    SimState& state = State();
    SimCall busy(state);
    DeviceInfoSet* set = state.deviceSets.Find(handle);
    if (set == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    std::size_t index = 0;
    if (device == nullptr || device->cbSize != sizeof(SP_DEVINFO_DATA) || !DeviceFromToken(*set, device->Reserved, index)) {
        return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    }
    if (buffer == nullptr && bufferSize != 0) return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    DWORD error = 0;
    if (Injected({"SetupDiGetDeviceInstanceIdA", SetSubjects(*set, index)}, error)) return FailWith(error, FALSE);
    const std::string& id = set->machine->Description().devices[index].instanceId;
    const DWORD needed = static_cast<DWORD>(id.size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (bufferSize < needed) return FailWith(ERROR_INSUFFICIENT_BUFFER, FALSE);
    std::memcpy(buffer, id.c_str(), needed);
    return TRUE;
}

STRATA_SIM_API BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA iface,
                                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                                     PDWORD requiredSize, PSP_DEVINFO_DATA device) {
    SimState& state = State();
    SimCall busy(state);
    DeviceInfoSet* set = state.deviceSets.Find(handle);
    if (set == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    std::size_t index = 0;
    if (iface == nullptr || iface->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
        !DeviceFromToken(*set, iface->Reserved, index)) {
        return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    }
    if (detail == nullptr && detailSize != 0) return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    if (detail != nullptr && detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    }
    if (device != nullptr && device->cbSize != sizeof(SP_DEVINFO_DATA)) return FailWith(ERROR_INVALID_USER_BUFFER, FALSE);
    DWORD error = 0;
    if (Injected({"SetupDiGetDeviceInterfaceDetailA", SetSubjects(*set, index)}, error)) return FailWith(error, FALSE);
    const std::string& path = set->machine->Description().devices[index].devicePath;
    const DWORD needed = kDetailPathOffset + static_cast<DWORD>(path.size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (device != nullptr) FillDeviceData(*set, index, *device);
    if (detail == nullptr || detailSize < needed) return FailWith(ERROR_INSUFFICIENT_BUFFER, FALSE);
    std::memcpy(reinterpret_cast<char*>(detail) + kDetailPathOffset, path.c_str(), path.size() + 1);
    return TRUE;
}

STRATA_SIM_API BOOL SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    SimState& state = State();
    SimCall busy(state);
    if (!state.deviceSets.Remove(handle)) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    // An injected failure is reported after the set is gone, so it leaves nothing open.
    DWORD error = 0;
    if (Injected({"SetupDiDestroyDeviceInfoList", {}}, error)) return FailWith(error, FALSE);
    return TRUE;
}
