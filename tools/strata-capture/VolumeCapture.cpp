#include "tools/strata-capture/VolumeCapture.h"

#include "platform/DiskQuotaIds.h"
#include "tools/strata-capture/ControlCodes.h"

#include <algorithm>
#include <cstring>

namespace strata_capture {

namespace {

const std::size_t kNameSize = MAX_PATH + 1;
const std::size_t kPathNamesLimit = 1u << 20;
const HRESULT kChangedMode = static_cast<HRESULT>(0x80010106L);  // RPC_E_CHANGED_MODE
const std::size_t kMaxVolumes = 65536;
const std::size_t kExtentsHeaderSize = offsetof(VOLUME_DISK_EXTENTS, Extents);
const std::size_t kExtentSize = sizeof(DISK_EXTENT);
const std::size_t kExtentsLimit = kExtentsHeaderSize + 65536 * kExtentSize;

const char kUnknownFileSystem[] = "UNKNOWN";

using disk_quota_ids::kDiskQuotaControlClass;
using disk_quota_ids::kDiskQuotaControlInterface;

std::string SameWithout(const std::string& text, char last) {
    return !text.empty() && text.back() == last ? text.substr(0, text.size() - 1) : text;
}

}  // namespace

struct VolumeCapture::Found {
    std::string guidName;
    std::vector<std::string> roots;
    std::vector<std::string> mountFolders;
    // Where the volume is asked: its first root, else its GUID name.
    const std::string& Path() const { return roots.empty() ? guidName : roots.front(); }
};

void VolumeCapture::Fail(const char* call, std::uint32_t code, const std::string& target,
                         DWORD error, bool natural) {
    if (!natural) log_.Fail(RecordedFailure{call, code, target, error, -1});
}

std::vector<VolumeCapture::Found> VolumeCapture::ListVolumes() {
    std::vector<Found> volumes;
    char name[kNameSize] = {};
    HANDLE search = FindFirstVolumeA(name, MAX_PATH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Fail("FindFirstVolumeA", 0, "", error, error == ERROR_NO_MORE_FILES);
        return volumes;
    }
    do {
        Found found;
        found.guidName = name;
        volumes.push_back(found);
    } while (volumes.size() < kMaxVolumes && FindNextVolumeA(search, name, MAX_PATH));
    const DWORD error = GetLastError();
    Fail("FindNextVolumeA", 0, "", error, error == ERROR_NO_MORE_FILES || volumes.size() >= kMaxVolumes);
    FindVolumeClose(search);
    return volumes;
}

void VolumeCapture::AddRoots(std::vector<Found>& volumes) {
    const DWORD needed = GetLogicalDriveStringsA(0, nullptr);
    if (needed == 0) {
        Fail("GetLogicalDriveStringsA", 0, "", GetLastError());
        return;
    }
    std::vector<char> buffer(needed + 1, 0);
    const DWORD got = GetLogicalDriveStringsA(needed, buffer.data());
    if (got == 0 || got > needed) {
        Fail("GetLogicalDriveStringsA", 0, "", GetLastError());
        return;
    }
    for (std::size_t at = 0; at < got && buffer[at] != 0;) {
        const std::string root(buffer.data() + at);
        at += root.size() + 1;
        char name[kNameSize] = {};
        // Roots without a volume (network drives) are not the plug-in's concern.
        if (!GetVolumeNameForVolumeMountPointA(root.c_str(), name, MAX_PATH)) continue;
        for (Found& volume : volumes) {
            if (volume.guidName == name) volume.roots.push_back(root);
        }
    }
}

void VolumeCapture::AddMountFolders(std::vector<Found>& volumes) {
    for (const Found& holder : volumes) {
        char folder[kNameSize] = {};
        HANDLE search = FindFirstVolumeMountPointA(holder.guidName.c_str(), folder, MAX_PATH);
        if (search == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            Fail("FindFirstVolumeMountPointA", 0, holder.guidName, error,
                 error == ERROR_NO_MORE_FILES || error == ERROR_NOT_READY ||
                     error == ERROR_UNRECOGNIZED_VOLUME);
            continue;
        }
        std::vector<std::string> relative;
        do {
            relative.push_back(folder);
        } while (relative.size() < kMaxVolumes && FindNextVolumeMountPointA(search, folder, MAX_PATH));
        FindVolumeMountPointClose(search);
        // Folders are recorded by their full path where the holder has one.
        const std::vector<std::string> holderPaths = PathNames(holder.guidName);
        const std::string prefix = holder.roots.empty() && !holderPaths.empty() ? holderPaths.front() : holder.Path();
        for (const std::string& inside : relative) {
            const std::string path = prefix + inside;
            char name[kNameSize] = {};
            if (!GetVolumeNameForVolumeMountPointA(path.c_str(), name, MAX_PATH)) {
                Fail("GetVolumeNameForVolumeMountPointA", 0, path, GetLastError());
                continue;
            }
            for (Found& mounted : volumes) {
                if (mounted.guidName == name) mounted.mountFolders.push_back(path);
            }
        }
    }
}

// The volume's paths as the system lists them: drive roots and full
// mount-folder paths; none when it cannot tell.
std::vector<std::string> VolumeCapture::PathNames(const std::string& guidName) {
    std::vector<char> names(kNameSize, 0);
    DWORD needed = 0;
    while (!GetVolumePathNamesForVolumeNameA(guidName.c_str(), names.data(), static_cast<DWORD>(names.size()),
                                             &needed)) {
        const DWORD error = GetLastError();
        if (error != ERROR_MORE_DATA || needed <= names.size() || needed > kPathNamesLimit) {
            Fail("GetVolumePathNamesForVolumeNameA", 0, guidName, error);
            return std::vector<std::string>();
        }
        names.assign(needed, 0);
    }
    std::vector<std::string> paths;
    for (std::size_t at = 0; at < names.size() && names[at] != 0;) {
        const std::string path(names.data() + at);
        at += path.size() + 1;
        paths.push_back(path);
    }
    return paths;
}

// Mount folders the mount-point search cannot see (ReFS indexes none): the
// volume's path names that are neither a root nor a folder recorded already.
void VolumeCapture::AddUnindexedMountFolders(std::vector<Found>& volumes) {
    for (Found& volume : volumes) {
        for (const std::string& path : PathNames(volume.guidName)) {
            if (std::find(volume.roots.begin(), volume.roots.end(), path) != volume.roots.end()) continue;
            if (std::find(volume.mountFolders.begin(), volume.mountFolders.end(), path) != volume.mountFolders.end()) {
                continue;
            }
            volume.mountFolders.push_back(path);
        }
    }
}

void VolumeCapture::DescribeFileSystem(const Found& volume, Json& json, bool& mediaPresent,
                                       bool& fileSystem) {
    char label[kNameSize] = {};
    char system[kNameSize] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    bool unknown = false;
    if (GetVolumeInformationA(volume.Path().c_str(), label, MAX_PATH, &serial, &maxComponent, &flags,
                              system, MAX_PATH)) {
        json["label"] = label;
        json["fileSystem"] = system;
        json["serialNumber"] = serial;
        json["maxComponentLength"] = maxComponent;
        json["fileSystemFlags"] = flags;
        fileSystem = system[0] != 0;
    } else {
        const DWORD error = GetLastError();
        if (error == ERROR_NOT_READY) {
            mediaPresent = false;
            json["mediaPresent"] = false;
        } else if (error != ERROR_UNRECOGNIZED_VOLUME) {
            Fail("GetVolumeInformationA", 0, volume.guidName, error);
            unknown = true;
        }
        fileSystem = false;
    }
    ULARGE_INTEGER free, total, totalFree;
    if (GetDiskFreeSpaceExA(volume.Path().c_str(), &free, &total, &totalFree)) {
        json["freeBytes"] = free.QuadPart;
        json["totalBytes"] = total.QuadPart;
        json["totalFreeBytes"] = totalFree.QuadPart;
        // The volume has a file system whose name the failed call kept; a
        // stand-in name keeps the other calls answering as they did (the
        // replay fails the one call that would show it).
        if (unknown) {
            json["fileSystem"] = kUnknownFileSystem;
            fileSystem = true;
        }
    } else {
        const DWORD error = GetLastError();
        Fail("GetDiskFreeSpaceExA", 0, volume.guidName, error,
             (!mediaPresent && error == ERROR_NOT_READY) || error == ERROR_UNRECOGNIZED_VOLUME);
    }
}

void VolumeCapture::DescribeQuota(const Found& volume, Json& json) {
    // RPC_E_CHANGED_MODE: the thread is in the multithreaded apartment
    // already, where COM objects can be made; nothing to uninitialise then.
    const HRESULT initialized = CoInitialize(nullptr);
    if (FAILED(initialized) && initialized != kChangedMode) {
        Fail("CoInitialize", 0, "", ErrorOfHresult(initialized));
        return;
    }
    IDiskQuotaControl* control = nullptr;
    const HRESULT created = CoCreateInstance(kDiskQuotaControlClass, nullptr, CLSCTX_INPROC_SERVER,
                                             kDiskQuotaControlInterface, reinterpret_cast<LPVOID*>(&control));
    if (created != S_OK || control == nullptr) {
        Fail("CoCreateInstance", 0, "", ErrorOfHresult(created));
    } else {
        std::vector<WCHAR> path;
        for (char c : volume.Path()) path.push_back(static_cast<WCHAR>(static_cast<unsigned char>(c)));
        path.push_back(0);
        // Opened for reading: the quota state is only read.
        const HRESULT opened = control->Initialize(path.data(), FALSE);
        DWORD state = 0;
        if (opened != S_OK) {
            const std::uint32_t error = ErrorOfHresult(opened);
            Fail("IDiskQuotaControl::Initialize", 0, volume.guidName, error,
                 error == ERROR_NOT_READY || error == ERROR_UNRECOGNIZED_VOLUME);
        } else {
            const HRESULT read = control->GetQuotaState(&state);
            if (read == S_OK) {
                json["quotaState"] = state;
            } else {
                Fail("IDiskQuotaControl::GetQuotaState", 0, volume.guidName, ErrorOfHresult(read));
            }
        }
        control->Release();
    }
    if (SUCCEEDED(initialized)) CoUninitialize();
}

void VolumeCapture::DescribeDevice(const Found& volume, Json& json, bool mediaPresent) {
    const std::string path = SameWithout(volume.guidName, '\\');
    HANDLE handle = OpenForReading(path);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail("CreateFileA", 0, volume.guidName, GetLastError());
        return;
    }
    const ControlReply length = SendControl(handle, IOCTL_DISK_GET_LENGTH_INFO, sizeof(GET_LENGTH_INFORMATION));
    if (length.ok && length.returned >= sizeof(GET_LENGTH_INFORMATION)) {
        GET_LENGTH_INFORMATION info;
        std::memcpy(&info, length.bytes.data(), sizeof(info));
        json["length"] = info.Length.QuadPart;
    } else if (!length.ok) {
        Fail("DeviceIoControl", IOCTL_DISK_GET_LENGTH_INFO, volume.guidName, length.error,
             !mediaPresent && length.error == ERROR_NOT_READY);
    }

    ControlReply extents = SendControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, kExtentsHeaderSize + kExtentSize);
    if (!extents.ok && extents.error == ERROR_MORE_DATA && extents.returned >= kExtentsHeaderSize) {
        std::uint32_t count = 0;
        std::memcpy(&count, extents.bytes.data(), sizeof(count));
        extents = SendControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
                              kExtentsHeaderSize + static_cast<std::size_t>(count) * kExtentSize);
    } else if (!extents.ok &&
               (extents.error == ERROR_INSUFFICIENT_BUFFER || extents.error == ERROR_BAD_LENGTH)) {
        json["shortBufferError"] = extents.error;
        extents = SendListControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
                                  2 * (kExtentsHeaderSize + kExtentSize), kExtentsLimit);
    }
    if (extents.ok && extents.returned >= kExtentsHeaderSize) {
        std::uint32_t count = 0;
        std::memcpy(&count, extents.bytes.data(), sizeof(count));
        const std::size_t held = (extents.returned - kExtentsHeaderSize) / kExtentSize;
        Json list = Json::array();
        for (std::size_t i = 0; i < count && i < held; ++i) {
            DISK_EXTENT extent;
            std::memcpy(&extent, extents.bytes.data() + kExtentsHeaderSize + i * kExtentSize, kExtentSize);
            list.push_back(Json{{"disk", extent.DiskNumber},
                                {"offset", extent.StartingOffset.QuadPart},
                                {"length", extent.ExtentLength.QuadPart}});
        }
        json["extents"] = list;
        if (list.empty()) json["emptyExtents"] = true;
    } else if (!extents.ok) {
        Fail("DeviceIoControl", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, volume.guidName, extents.error,
             extents.error == ERROR_INVALID_FUNCTION || (!mediaPresent && extents.error == ERROR_NOT_READY));
    }

    const ControlReply number = SendControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, sizeof(STORAGE_DEVICE_NUMBER));
    if (number.ok && number.returned >= sizeof(STORAGE_DEVICE_NUMBER)) {
        STORAGE_DEVICE_NUMBER device;
        std::memcpy(&device, number.bytes.data(), sizeof(device));
        json["deviceType"] = device.DeviceType;
        json["deviceNumber"] = device.DeviceNumber;
        json["partitionNumber"] = static_cast<std::int32_t>(device.PartitionNumber);
    } else if (!number.ok) {
        // A volume on several disks has no one device.
        Fail("DeviceIoControl", IOCTL_STORAGE_GET_DEVICE_NUMBER, volume.guidName, number.error,
             number.error == ERROR_INVALID_FUNCTION);
    }
    CloseHandle(handle);
}

Json VolumeCapture::Describe(const Found& volume) {
    Json json = Json::object();
    json["guidName"] = volume.guidName;
    json["roots"] = volume.roots;
    json["mountFolders"] = volume.mountFolders;
    json["driveType"] = GetDriveTypeA(volume.Path().c_str());
    bool mediaPresent = true;
    bool fileSystem = false;
    DescribeFileSystem(volume, json, mediaPresent, fileSystem);
    if (mediaPresent && fileSystem) DescribeQuota(volume, json);
    DescribeDevice(volume, json, mediaPresent);
    return json;
}

Json VolumeCapture::Capture() {
    std::vector<Found> volumes = ListVolumes();
    AddRoots(volumes);
    AddMountFolders(volumes);
    AddUnindexedMountFolders(volumes);
    Json list = Json::array();
    for (const Found& volume : volumes) list.push_back(Describe(volume));
    return list;
}

}  // namespace strata_capture
