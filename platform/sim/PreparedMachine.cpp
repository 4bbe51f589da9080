// Finding devices and volumes by the names and paths Win32 callers use.
#include "platform/sim/PreparedMachine.h"

#include "platform/sim/PathNames.h"

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <utility>

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

void PreparedMachine::IndexDeviceNames() {
    for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
        const Device& device = machine_.devices[i];
        // The first device of a name answers to it.
        std::string own;
        StripDevicePrefix(device.devicePath, own);
        devicesByName_.emplace(UpperText(own), i);
        if (device.present) devicesByNumber_.emplace(std::make_pair(device.interfaceClass, device.deviceNumber), i);
    }
}

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
    for (std::size_t i = 0; i < mountPaths_.size(); ++i) {
        mountsByPath_.emplace(UpperText(mountPaths_[i].path), i);
        mountLengths_.push_back(mountPaths_[i].path.size());
    }
    // Longest first, so that the first prefix found is the deepest mount.
    std::sort(mountLengths_.begin(), mountLengths_.end(), std::greater<std::size_t>());
    mountLengths_.erase(std::unique(mountLengths_.begin(), mountLengths_.end()), mountLengths_.end());
    foldersOnVolume_.resize(machine_.volumes.size());
    for (const Volume& volume : machine_.volumes) {
        for (const std::string& folder : volume.mountFolders) {
            std::string relative;
            const std::optional<std::size_t> host = HostOfMountFolder(folder, &relative);
            if (!host) {
                throw std::runtime_error("machine description: mount folder " + folder +
                                         " lies on no volume (it must start with a drive root, "
                                         "a volume GUID name or another mount folder)");
            }
            foldersOnVolume_[*host].push_back(relative);
        }
    }
}

const PreparedMachine::MountPath* PreparedMachine::LongestMountStarting(const std::string& upperPath,
                                                                        std::size_t longest) const {
    for (const std::size_t length : mountLengths_) {
        if (length > longest || length > upperPath.size()) continue;
        const auto mount = mountsByPath_.find(upperPath.substr(0, length));
        if (mount != mountsByPath_.end()) return &mountPaths_[mount->second];
    }
    return nullptr;
}

std::optional<std::size_t> PreparedMachine::DeviceByName(const std::string& path) const {
    std::string rest;
    if (!StripDevicePrefix(path, rest)) return std::nullopt;
    const auto named = devicesByName_.find(UpperText(rest));
    if (named != devicesByName_.end()) return named->second;
    for (const NumberedName& name : kNumberedNames) {
        std::uint32_t number = 0;
        if (!ParseNumberedName(rest, name.prefix, number)) continue;
        const auto numbered = devicesByNumber_.find(std::make_pair(name.cls, number));
        if (numbered != devicesByNumber_.end()) return numbered->second;
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

void PreparedMachine::IndexFailureNames() {
    for (const Device& d : machine_.devices) {
        std::vector<std::string> names = {d.devicePath, d.instanceId};
        for (const NumberedName& name : kNumberedNames) {
            if (name.cls == d.interfaceClass) {
                names.push_back(std::string("\\\\.\\") + name.prefix + std::to_string(d.deviceNumber));
            }
        }
        deviceNames_.push_back(std::move(names));
    }
    for (const Volume& v : machine_.volumes) {
        std::vector<std::string> names = {v.guidName};
        names.insert(names.end(), v.roots.begin(), v.roots.end());
        names.insert(names.end(), v.mountFolders.begin(), v.mountFolders.end());
        for (const std::string& root : v.roots) {
            names.push_back("\\\\.\\" + root.substr(0, root.size() - 1));  // \\.\C:
        }
        volumeNames_.push_back(std::move(names));
    }
}

std::optional<std::size_t> PreparedMachine::VolumeMountedAt(const std::string& path) const {
    const auto mount = mountsByPath_.find(UpperText(path));
    if (mount == mountsByPath_.end()) return std::nullopt;
    return mountPaths_[mount->second].volume;
}

std::optional<std::size_t> PreparedMachine::VolumeHolding(const std::string& path, std::string* mountPath) const {
    const std::string full = UpperText(WithBackslash(path));
    const MountPath* mount = LongestMountStarting(full, full.size());
    if (mount == nullptr) return std::nullopt;
    if (mountPath != nullptr) *mountPath = mount->path;
    return mount->volume;
}

std::optional<std::size_t> PreparedMachine::HostOfMountFolder(const std::string& folder,
                                                              std::string* relative) const {
    if (folder.empty()) return std::nullopt;
    const MountPath* mount = LongestMountStarting(UpperText(folder), folder.size() - 1);
    if (mount == nullptr) return std::nullopt;
    if (relative != nullptr) *relative = folder.substr(mount->path.size());
    return mount->volume;
}

std::vector<std::string> PreparedMachine::MountFoldersOn(std::size_t volume) const {
    return volume < foldersOnVolume_.size() ? foldersOnVolume_[volume] : std::vector<std::string>();
}

std::vector<std::string> PreparedMachine::PathNames(const std::string& path,
                                                   const std::optional<std::size_t>& volume) const {
    std::vector<std::string> names = {path};
    if (volume) {
        const std::vector<std::string>& own = VolumeNames(*volume);
        names.insert(names.end(), own.begin(), own.end());
    }
    return names;
}

std::vector<std::uint32_t> PreparedMachine::VolumeDisks(std::size_t volume) const {
    std::vector<std::uint32_t> disks;
    for (const DiskExtentDescription& extent : machine_.volumes[volume].extents) {
        if (std::find(disks.begin(), disks.end(), extent.diskNumber) == disks.end()) {
            disks.push_back(extent.diskNumber);
        }
    }
    return disks;
}

}  // namespace strata_sim
