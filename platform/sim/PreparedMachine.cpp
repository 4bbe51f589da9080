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
    for (std::size_t v = 0; v < machine_.volumes.size(); ++v) {
        for (const std::string& folder : machine_.volumes[v].mountFolders) {
            std::string relative;
            const std::optional<std::size_t> host = HostOfMountFolder(folder, &relative);
            if (!host) {
                throw std::runtime_error("machine description: mount folder " + folder +
                                         " lies on no volume (it must start with a drive root, "
                                         "a volume GUID name or another mount folder)");
            }
            // Two paths to one mount point (through a host that is itself
            // mounted in two folders) are one folder of the host.
            if (mountedOn_.emplace(std::make_pair(*host, UpperText(relative)), v).second) {
                foldersOnVolume_[*host].push_back(relative);
            }
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

std::optional<std::size_t> PreparedMachine::Follow(const std::string& upperPath, std::size_t longest,
                                                   std::size_t& consumed) const {
    const MountPath* mount = LongestMountStarting(upperPath, longest);
    if (mount == nullptr) return std::nullopt;
    std::size_t volume = mount->volume;
    consumed = mount->path.size();
    // Each further folder of the path may be a mount point of the volume reached.
    for (std::size_t end = upperPath.find('\\', consumed); end != std::string::npos && end < longest;
         end = upperPath.find('\\', end + 1)) {
        const auto mounted = mountedOn_.find(std::make_pair(volume, upperPath.substr(consumed, end + 1 - consumed)));
        if (mounted == mountedOn_.end()) continue;
        volume = mounted->second;
        consumed = end + 1;
    }
    return volume;
}

std::optional<std::size_t> PreparedMachine::VolumeMountedAt(const std::string& path) const {
    const std::string upper = UpperText(path);
    const auto mount = mountsByPath_.find(upper);
    if (mount != mountsByPath_.end()) return mountPaths_[mount->second].volume;
    std::size_t consumed = 0;
    const std::optional<std::size_t> volume = Follow(upper, upper.size(), consumed);
    if (!volume || consumed != upper.size()) return std::nullopt;
    return volume;
}

std::optional<std::size_t> PreparedMachine::VolumeHolding(const std::string& path, std::string* mountPath) const {
    const std::string withBackslash = WithBackslash(path);
    const std::string full = UpperText(withBackslash);
    std::size_t consumed = 0;
    const std::optional<std::size_t> volume = Follow(full, full.size(), consumed);
    if (volume && mountPath != nullptr) *mountPath = withBackslash.substr(0, consumed);
    return volume;
}

std::vector<std::string> PreparedMachine::FullPaths(std::size_t volume) const {
    const Volume& v = machine_.volumes[volume];
    std::vector<std::string> paths = v.roots;
    for (const std::string& folder : v.mountFolders) {
        std::string relative;
        const std::optional<std::size_t> host = HostOfMountFolder(folder, &relative);
        // Mount cycles are refused when the machine is installed, so this ends.
        if (!host) continue;
        for (const std::string& hostPath : FullPaths(*host)) {
            const std::string full = hostPath + relative;
            if (std::find(paths.begin(), paths.end(), full) == paths.end()) paths.push_back(full);
        }
    }
    return paths;
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
