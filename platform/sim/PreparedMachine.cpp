// Finding devices and volumes by the names and paths Win32 callers use.
#include "platform/sim/PreparedMachine.h"

#include "platform/sim/PathNames.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace strata_sim {

namespace {

struct NumberedName {
    const char* prefix;
    InterfaceClass cls;
};

// \\.\ names Windows gives storage devices by their number.
const NumberedName kNumberedNames[] = {
    {"PHYSICALDRIVE", InterfaceClass::Disk},
    {"CDROM", InterfaceClass::CdRom},
    {"TAPE", InterfaceClass::Tape},
};

}  // namespace

void PreparedMachine::IndexMountPaths() {
    std::set<std::string> seen;
    auto add = [&](const std::string& path, std::size_t volume) {
        if (!seen.insert(UpperText(path)).second) {
            throw std::runtime_error("machine description: mount path " + path + " is used twice");
        }
        mountPaths_.push_back(MountPath{path, volume});
    };
    for (std::size_t v = 0; v < machine_.volumes.size(); ++v) {
        const Volume& volume = machine_.volumes[v];
        add(volume.guidName, v);
        for (const std::string& root : volume.roots) add(root, v);
        for (const std::string& folder : volume.mountFolders) add(folder, v);
    }
    // Longest first, so that the first prefix found is the deepest mount.
    std::stable_sort(mountPaths_.begin(), mountPaths_.end(),
                     [](const MountPath& a, const MountPath& b) { return a.path.size() > b.path.size(); });
    for (const Volume& volume : machine_.volumes) {
        for (const std::string& folder : volume.mountFolders) {
            if (!HostOfMountFolder(folder)) {
                throw std::runtime_error("machine description: mount folder " + folder +
                                         " lies on no volume (it must start with a drive root, "
                                         "a volume GUID name or another mount folder)");
            }
        }
    }
}

std::optional<std::size_t> PreparedMachine::DeviceByName(const std::string& path) const {
    std::string rest;
    if (!StripDevicePrefix(path, rest)) return std::nullopt;
    for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
        std::string own;
        StripDevicePrefix(machine_.devices[i].devicePath, own);
        if (EqualNoCase(own, rest)) return i;
    }
    for (const NumberedName& name : kNumberedNames) {
        std::uint32_t number = 0;
        if (!ParseNumberedName(rest, name.prefix, number)) continue;
        for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
            const Device& d = machine_.devices[i];
            if (d.interfaceClass == name.cls && d.deviceNumber == number && d.present) return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> PreparedMachine::DeviceOfVolume(std::size_t volume) const {
    const Volume& v = machine_.volumes[volume];
    if (!v.deviceNumber || !v.deviceType) return std::nullopt;
    // Device types name a family of classes: optical drives report CD-ROM or
    // DVD, and disks come before floppies, which are disks too.
    std::vector<InterfaceClass> classes;
    switch (*v.deviceType) {
        case FILE_DEVICE_CD_ROM:
        case FILE_DEVICE_DVD: classes = {InterfaceClass::CdRom}; break;
        case FILE_DEVICE_DISK: classes = {InterfaceClass::Disk, InterfaceClass::Floppy}; break;
        case FILE_DEVICE_TAPE: classes = {InterfaceClass::Tape}; break;
        default: break;
    }
    for (InterfaceClass cls : classes) {
        for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
            const Device& d = machine_.devices[i];
            if (d.interfaceClass == cls && d.deviceNumber == *v.deviceNumber) return i;
        }
    }
    for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
        const Device& d = machine_.devices[i];
        if (classes.empty() && d.deviceType == v.deviceType && d.deviceNumber == *v.deviceNumber) return i;
    }
    return std::nullopt;
}

std::vector<std::string> PreparedMachine::DeviceNames(std::size_t device) const {
    const Device& d = machine_.devices[device];
    std::vector<std::string> names = {d.devicePath, d.instanceId};
    for (const NumberedName& name : kNumberedNames) {
        if (name.cls == d.interfaceClass) {
            names.push_back(std::string("\\\\.\\") + name.prefix + std::to_string(d.deviceNumber));
        }
    }
    return names;
}

std::optional<std::size_t> PreparedMachine::VolumeMountedAt(const std::string& path) const {
    for (const MountPath& mount : mountPaths_) {
        if (EqualNoCase(mount.path, path)) return mount.volume;
    }
    return std::nullopt;
}

std::optional<std::size_t> PreparedMachine::VolumeHolding(const std::string& path, std::string* mountPath) const {
    const std::string full = WithBackslash(path);
    for (const MountPath& mount : mountPaths_) {
        if (StartsWithNoCase(full, mount.path)) {
            if (mountPath != nullptr) *mountPath = mount.path;
            return mount.volume;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> PreparedMachine::HostOfMountFolder(const std::string& folder,
                                                              std::string* relative) const {
    for (const MountPath& mount : mountPaths_) {
        if (mount.path.size() < folder.size() && StartsWithNoCase(folder, mount.path)) {
            if (relative != nullptr) *relative = folder.substr(mount.path.size());
            return mount.volume;
        }
    }
    return std::nullopt;
}

std::vector<std::string> PreparedMachine::MountFoldersOn(std::size_t volume) const {
    std::vector<std::string> folders;
    for (const Volume& v : machine_.volumes) {
        for (const std::string& folder : v.mountFolders) {
            std::string relative;
            const std::optional<std::size_t> host = HostOfMountFolder(folder, &relative);
            if (host && *host == volume) folders.push_back(relative);
        }
    }
    return folders;
}

std::vector<std::string> PreparedMachine::VolumeNames(std::size_t volume) const {
    const Volume& v = machine_.volumes[volume];
    std::vector<std::string> names = {v.guidName};
    names.insert(names.end(), v.roots.begin(), v.roots.end());
    names.insert(names.end(), v.mountFolders.begin(), v.mountFolders.end());
    for (const std::string& root : v.roots) {
        names.push_back("\\\\.\\" + root.substr(0, root.size() - 1));  // \\.\C:
    }
    return names;
}

std::vector<std::string> PreparedMachine::PathNames(const std::string& path,
                                                   const std::optional<std::size_t>& volume) const {
    std::vector<std::string> names = {path};
    if (volume) {
        const std::vector<std::string> own = VolumeNames(*volume);
        names.insert(names.end(), own.begin(), own.end());
    }
    return names;
}

std::vector<std::uint32_t> PreparedMachine::VolumeDisks(std::size_t volume) const {
    std::vector<std::uint32_t> disks;
    for (const DiskExtentSpec& extent : machine_.volumes[volume].extents) {
        if (std::find(disks.begin(), disks.end(), extent.diskNumber) == disks.end()) {
            disks.push_back(extent.diskNumber);
        }
    }
    return disks;
}

}  // namespace strata_sim
