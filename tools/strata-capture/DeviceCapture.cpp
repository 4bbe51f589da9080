#include "tools/strata-capture/DeviceCapture.h"

#include "disk/InterfaceClasses.h"
#include "tools/strata-capture/ControlCodes.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace strata_capture {

namespace {

struct ClassInfo {
    const GUID* guid;
    const char* name;
};

const ClassInfo kClasses[] = {{&strata_col::kDiskInterface, "disk"},
                              {&strata_col::kCdromInterface, "cdrom"},
                              {&strata_col::kTapeInterface, "tape"},
                              {&strata_col::kFloppyInterface, "floppy"}};

// Bounds on a device set's walk, so that a set failing at every member ends.
const DWORD kMaxMembers = 4096;
const DWORD kMaxFailuresInRow = 64;

const std::size_t kDeviceNumberSize = sizeof(STORAGE_DEVICE_NUMBER);
const std::size_t kMediaTypesSize = 648;  // the header and 20 entries
const std::size_t kMediaHeaderSize = offsetof(GET_MEDIA_TYPES, MediaInfo);
const std::size_t kMediaEntrySize = sizeof(DEVICE_MEDIA_INFO);
const std::size_t kTapeMediaTypeOffset = 0;
const std::size_t kDiskMediaTypeOffset = 8;
const std::size_t kGeometrySize = sizeof(DISK_GEOMETRY);
const std::size_t kLengthSize = sizeof(GET_LENGTH_INFORMATION);
const std::size_t kLayoutSize = 40960;
const std::size_t kLayoutLimit = 16u << 20;
// A device whose number is unknown gets one no drive has, so that it never
// answers to another drive's \\.\PHYSICALDRIVEn.
const std::uint32_t kUnknownNumberBase = 0x40000000u;
// Numbered names (\\.\CdRomn) tried for a device without interface.
const std::uint32_t kMaxNumberNames = 64;

std::uint32_t ReadU32(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    if (offset + sizeof(value) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(value));
    return value;
}

}  // namespace

struct DeviceCapture::Member {
    bool known = false;  // the member's device data was read
    DWORD devInst = 0;
    std::string instanceId;
    std::string path;
    bool hasInterface = false;
    bool present = false;
};

void DeviceCapture::Fail(const char* call, std::uint32_t code, const std::string& target,
                         DWORD error, std::int64_t index) {
    log_.Fail(RecordedFailure{call, code, target, error, index});
}

std::vector<DeviceCapture::Member> DeviceCapture::Walk(const GUID& interfaceClass,
                                                       const char* className, bool present) {
    std::vector<Member> members;
    const DWORD flags = DIGCF_DEVICEINTERFACE | (present ? DIGCF_PRESENT : 0);
    HDEVINFO set = SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) {
        if (present) Fail("SetupDiGetClassDevsA", 0, className, GetLastError());
        return members;
    }
    // Failures are recorded from the walk of present devices, the plug-in's.
    DWORD inRow = 0;
    for (DWORD i = 0; i < kMaxMembers && inRow < kMaxFailuresInRow; ++i) {
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        Member member;
        member.present = present;
        if (!SetupDiEnumDeviceInfo(set, i, &data)) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_ITEMS) break;
            if (present) Fail("SetupDiEnumDeviceInfo", 0, "", error, i);
            members.push_back(member);
            ++inRow;
            continue;
        }
        inRow = 0;
        member.known = true;
        member.devInst = data.DevInst;
        DWORD needed = 0;
        SetupDiGetDeviceInstanceIdA(set, &data, nullptr, 0, &needed);
        std::vector<char> id(needed + 1, 0);
        if (needed != 0 && SetupDiGetDeviceInstanceIdA(set, &data, id.data(), needed, nullptr)) {
            member.instanceId = id.data();
        } else if (present) {
            Fail("SetupDiGetDeviceInstanceIdA", 0, "", GetLastError());
        }
        members.push_back(member);
    }
    inRow = 0;
    for (DWORD i = 0; i < kMaxMembers && inRow < kMaxFailuresInRow; ++i) {
        SP_DEVICE_INTERFACE_DATA iface = {};
        iface.cbSize = sizeof(iface);
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, i, &iface)) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_ITEMS) break;
            if (present) Fail("SetupDiEnumDeviceInterfaces", 0, "", error, i);
            ++inRow;
            continue;
        }
        inRow = 0;
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof(data);
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &needed, &data);
        std::vector<unsigned char> buffer(needed + 8, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (needed == 0 ||
            !SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, needed, nullptr, &data)) {
            if (present) {
                const std::string target = i < members.size() ? members[i].instanceId : "";
                Fail("SetupDiGetDeviceInterfaceDetailA", 0, target, GetLastError());
            }
            continue;
        }
        std::string path(detail->DevicePath,
                         strnlen(detail->DevicePath, buffer.size() - sizeof(DWORD)));
        Member* owner = nullptr;
        for (Member& member : members) {
            if (member.known && member.devInst == data.DevInst) owner = &member;
        }
        // A member whose device data failed is taken to own the interface of
        // its index, as the plug-in pairs them.
        if (owner == nullptr && i < members.size() && !members[i].known) {
            owner = &members[i];
            owner->known = true;
            owner->devInst = data.DevInst;
            DWORD idSize = 0;
            SetupDiGetDeviceInstanceIdA(set, &data, nullptr, 0, &idSize);
            std::vector<char> id(idSize + 1, 0);
            if (idSize != 0 && SetupDiGetDeviceInstanceIdA(set, &data, id.data(), idSize, nullptr)) {
                owner->instanceId = id.data();
            }
        }
        if (owner == nullptr) {
            members.push_back(Member());
            owner = &members.back();
            owner->known = true;
            owner->present = present;
            owner->devInst = data.DevInst;
        }
        owner->path = path;
        owner->hasInterface = true;
    }
    SetupDiDestroyDeviceInfoList(set);
    return members;
}

Json DeviceCapture::Probe(const Member& member, const char* className, const std::string& openPath,
                          DriveToRead& drive) {
    const std::string cls = className;
    const bool tape = cls == "tape";
    Json device = Json::object();
    device["class"] = cls;
    device["instanceId"] = member.instanceId;
    if (!member.path.empty()) device["devicePath"] = member.path;
    device["hasInterface"] = member.hasInterface;
    device["present"] = member.present;
    if (!member.present || openPath.empty()) {
        device["deviceNumber"] = kUnknownNumberBase + drive.device;
        return device;
    }

    HANDLE handle = OpenForReading(openPath);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail("CreateFileA", 0, openPath, GetLastError());
        device["deviceNumber"] = kUnknownNumberBase + drive.device;
        return device;
    }
    // A code the simulated machine also refuses on its own (a tape's
    // geometry, an empty drive's layout) needs no failure entry.
    bool mediaPresent = true;
    auto failed = [&](const ControlReply& reply, DWORD code) {
        if (reply.ok) return false;
        const bool natural = (tape && reply.error == ERROR_INVALID_FUNCTION) ||
                             (!mediaPresent && reply.error == ERROR_NOT_READY);
        if (!natural) Fail("DeviceIoControl", code, openPath, reply.error);
        return true;
    };

    const ControlReply number =
        SendControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, kDeviceNumberSize);
    if (!failed(number, IOCTL_STORAGE_GET_DEVICE_NUMBER) && number.returned >= kDeviceNumberSize) {
        device["deviceNumber"] = ReadU32(number.bytes, 4);
        device["deviceType"] = ReadU32(number.bytes, 0);
    } else {
        device["deviceNumber"] = kUnknownNumberBase + drive.device;
    }

    const ControlReply media = SendListControl(handle, IOCTL_STORAGE_GET_MEDIA_TYPES_EX,
                                               kMediaTypesSize, kMediaTypesSize * 64);
    std::uint32_t mediaCount = 0;
    if (!failed(media, IOCTL_STORAGE_GET_MEDIA_TYPES_EX) && media.returned >= kMediaHeaderSize) {
        const std::uint32_t type = ReadU32(media.bytes, 0);
        if (!device.contains("deviceType")) device["deviceType"] = type;
        mediaCount = ReadU32(media.bytes, 4);
        const std::size_t held = (media.returned - kMediaHeaderSize) / kMediaEntrySize;
        if (mediaCount > held) mediaCount = static_cast<std::uint32_t>(held);
        Json types = Json::array();
        const std::size_t field = type == FILE_DEVICE_TAPE ? kTapeMediaTypeOffset : kDiskMediaTypeOffset;
        for (std::uint32_t i = 0; i < mediaCount; ++i) {
            types.push_back(ReadU32(media.bytes, kMediaHeaderSize + i * kMediaEntrySize + field));
        }
        device["mediaTypes"] = types;
        // How a reply with room for one entry fails: the one answer a
        // description can give for both list replies of a device.
        if (mediaCount > 1) {
            const ControlReply shortReply = SendControl(handle, IOCTL_STORAGE_GET_MEDIA_TYPES_EX,
                                                        kMediaHeaderSize + kMediaEntrySize);
            if (!shortReply.ok &&
                (shortReply.error == ERROR_INSUFFICIENT_BUFFER || shortReply.error == ERROR_BAD_LENGTH)) {
                device["shortBufferError"] = shortReply.error;
            }
        }
    }

    const DWORD geometryCode = cls == "cdrom" ? IOCTL_CDROM_GET_DRIVE_GEOMETRY : IOCTL_DISK_GET_DRIVE_GEOMETRY;
    const ControlReply geometry = SendControl(handle, geometryCode, kGeometrySize);
    if (!geometry.ok && geometry.error == ERROR_NOT_READY) {
        mediaPresent = false;
        device["mediaPresent"] = false;
    } else if (!failed(geometry, geometryCode) && geometry.returned >= kGeometrySize) {
        DISK_GEOMETRY g;
        std::memcpy(&g, geometry.bytes.data(), sizeof(g));
        device["geometry"] = Json{{"mediaType", static_cast<std::uint32_t>(g.MediaType)},
                                  {"bytesPerSector", g.BytesPerSector},
                                  {"cylinders", g.Cylinders.QuadPart},
                                  {"tracksPerCylinder", g.TracksPerCylinder},
                                  {"sectorsPerTrack", g.SectorsPerTrack}};
        drive.bytesPerSector = g.BytesPerSector;
    }

    const ControlReply length = SendControl(handle, IOCTL_DISK_GET_LENGTH_INFO, kLengthSize);
    if (!failed(length, IOCTL_DISK_GET_LENGTH_INFO) && length.returned >= kLengthSize) {
        GET_LENGTH_INFORMATION info;
        std::memcpy(&info, length.bytes.data(), sizeof(info));
        device["length"] = info.Length.QuadPart;
        if (info.Length.QuadPart > 0) drive.length = static_cast<std::uint64_t>(info.Length.QuadPart);
    } else if (mediaPresent && !tape && cls != "disk") {
        device["length"] = 0;  // a drive with a medium needs one; the failure is recorded
    }

    const ControlReply layout =
        SendListControl(handle, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, kLayoutSize, kLayoutLimit);
    Json layoutJson;
    std::uint32_t partitions = 0;
    if (!failed(layout, IOCTL_DISK_GET_DRIVE_LAYOUT_EX) && LayoutOfReply(layout, layoutJson, partitions)) {
        device["layout"] = layoutJson;
        if (partitions > 1 && !device.contains("shortBufferError")) {
            const ControlReply shortReply =
                SendControl(handle, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, kLayoutHeaderSize + sizeof(PARTITION_INFORMATION_EX));
            if (!shortReply.ok &&
                (shortReply.error == ERROR_MORE_DATA || shortReply.error == ERROR_BAD_LENGTH)) {
                device["shortBufferError"] = shortReply.error;
            }
        }
    }
    CloseHandle(handle);
    if (cls != "disk" || !mediaPresent) drive.path.clear();
    return device;
}

std::string DeviceCapture::UnclaimedNumberName(const char* className, std::vector<std::uint32_t>& claimed) {
    const std::string cls = className;
    const char* prefix = cls == "disk" ? "\\\\.\\PHYSICALDRIVE"
                         : cls == "cdrom" ? "\\\\.\\CdRom"
                         : cls == "tape"  ? "\\\\.\\Tape"
                                          : nullptr;
    if (prefix == nullptr) return "";
    for (std::uint32_t n = 0; n < kMaxNumberNames; ++n) {
        if (std::find(claimed.begin(), claimed.end(), n) != claimed.end()) continue;
        const std::string name = prefix + std::to_string(n);
        HANDLE handle = OpenForReading(name);
        if (handle == INVALID_HANDLE_VALUE) continue;
        const ControlReply number = SendControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, kDeviceNumberSize);
        CloseHandle(handle);
        if (number.ok && number.returned >= kDeviceNumberSize && ReadU32(number.bytes, 4) == n) return name;
    }
    return "";
}

Json DeviceCapture::Capture(std::vector<DriveToRead>& drives) {
    Json devices = Json::array();
    for (const ClassInfo& info : kClasses) {
        std::vector<Member> members = Walk(*info.guid, info.name, true);
        const std::vector<Member> all = Walk(*info.guid, info.name, false);
        bool allKnown = !all.empty();
        for (const Member& member : all) allKnown = allKnown && member.known;
        // The walk of every device gives the order and the absent devices,
        // when it could be read whole.
        if (allKnown) {
            std::map<DWORD, const Member*> present;
            for (const Member& member : members) {
                if (member.known) present[member.devInst] = &member;
            }
            std::vector<Member> merged;
            for (const Member& member : all) {
                auto found = present.find(member.devInst);
                merged.push_back(found != present.end() ? *found->second : member);
                merged.back().present = found != present.end();
            }
            bool complete = true;
            for (const Member& member : members) complete = complete && member.known;
            if (complete) members = merged;
        }
        // Devices with an interface first, so that the numbers they answer
        // are known before the others are looked for by number.
        const std::size_t first = devices.size();
        std::vector<DriveToRead> found(members.size());
        std::vector<std::uint32_t> claimed;
        for (std::size_t i = 0; i < members.size(); ++i) {
            devices.push_back(Json());
            found[i].device = first + i;
        }
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t i = 0; i < members.size(); ++i) {
                Member& member = members[i];
                if (member.path.empty() != (pass == 1)) continue;
                if (member.instanceId.empty()) {
                    member.instanceId = std::string("STRATA-CAPTURE\\UNREADABLE\\") + info.name + "&" + std::to_string(i);
                }
                std::string openPath = member.path;
                if (openPath.empty() && member.present) openPath = UnclaimedNumberName(info.name, claimed);
                found[i].path = openPath;
                Json device = Probe(member, info.name, openPath, found[i]);
                if (device.contains("deviceNumber")) claimed.push_back(device["deviceNumber"].get<std::uint32_t>());
                devices[first + i] = device;
            }
        }
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (members[i].present && !found[i].path.empty()) drives.push_back(found[i]);
        }
    }
    return devices;
}

}  // namespace strata_capture
