// An installed machine: the description with every default filled in, and
// the lookups the Win32 calls need (devices by name, volumes by path).
#ifndef STRATA_PLATFORM_SIM_PREPAREDMACHINE_H
#define STRATA_PLATFORM_SIM_PREPAREDMACHINE_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sim/MachineModel.h"

namespace strata_sim {

class PreparedMachine {
public:
    // Fills defaults, checks consistency and decodes the layouts of images.
    // Throws std::runtime_error naming the faulty device or volume.
    explicit PreparedMachine(const Machine& machine);

    const Machine& Description() const { return machine_; }
    const std::vector<std::string>& Notes() const { return notes_; }

    // A device by interface path (\\?\ or \\.\ prefix, any case), or by
    // \\.\PHYSICALDRIVEn, \\.\CdRomn, \\.\Tapen.
    std::optional<std::size_t> DeviceByName(const std::string& path) const;
    // The device a volume lives on: by its device type and number.
    std::optional<std::size_t> DeviceOfVolume(std::size_t volume) const;
    // Every name a failure target may use for the device.
    const std::vector<std::string>& DeviceNames(std::size_t device) const { return deviceNames_[device]; }

    // The volume mounted exactly at path: a drive root, a mount folder or a
    // volume GUID name, each with its trailing backslash. A mount folder may
    // be reached through any path to its host volume (C:\mnt\inner\ and
    // \\?\Volume{...}\inner\ alike), as Windows follows mount points.
    std::optional<std::size_t> VolumeMountedAt(const std::string& path) const;
    // The volume holding path (the deepest mount point on the way), and the
    // path up to that mount point.
    std::optional<std::size_t> VolumeHolding(const std::string& path, std::string* mountPath = nullptr) const;
    // The paths Windows lists for the volume: its drive roots, then every
    // mount folder's full path from a drive root (none for a folder that no
    // drive root leads to).
    std::vector<std::string> FullPaths(std::size_t volume) const;
    // The volume whose file system holds a mount folder, and the folder
    // relative to that volume's root.
    std::optional<std::size_t> HostOfMountFolder(const std::string& folder, std::string* relative = nullptr) const;
    // Mount folders (relative paths) that lie on the volume, in description order.
    std::vector<std::string> MountFoldersOn(std::size_t volume) const;
    // Every name a failure target may use for the volume.
    const std::vector<std::string>& VolumeNames(std::size_t volume) const { return volumeNames_[volume]; }
    // Failure targets of a call on a path: the path and the names of its volume.
    std::vector<std::string> PathNames(const std::string& path, const std::optional<std::size_t>& volume) const;
    // The distinct disk numbers of a volume's extents.
    std::vector<std::uint32_t> VolumeDisks(std::size_t volume) const;

private:
    struct MountPath {
        std::string path;
        std::size_t volume;
    };

    void FillDevice(Device& device, std::size_t index);
    void FillVolume(Volume& volume, std::size_t index);
    void IndexDeviceNames();
    void IndexMountPaths();
    // The names of every device and volume, made once: each call names its
    // object to the failure injector.
    void IndexFailureNames();
    void CheckMountCycles() const;
    void CheckFailures() const;
    // The longest mount path no longer than `longest` characters that
    // begins `upperPath` (upper case).
    const MountPath* LongestMountStarting(const std::string& upperPath, std::size_t longest) const;
    // Follows an upper-case path through the mount points on its way: the
    // deepest volume it reaches within its first `longest` characters, and
    // in `consumed` the length of the path up to that volume's mount point.
    std::optional<std::size_t> Follow(const std::string& upperPath, std::size_t longest, std::size_t& consumed) const;

    Machine machine_;
    std::vector<std::string> notes_;
    std::vector<MountPath> mountPaths_;
    std::vector<std::vector<std::string> > deviceNames_;
    std::vector<std::vector<std::string> > volumeNames_;
    // Lookups by upper-case name, so that a machine of thousands of devices
    // or mount folders answers each call without a walk.
    std::unordered_map<std::string, std::size_t> devicesByName_;  // path without its prefix
    std::map<std::pair<InterfaceClass, std::uint32_t>, std::size_t> devicesByNumber_;  // present ones
    std::unordered_map<std::string, std::size_t> mountsByPath_;  // into mountPaths_
    std::vector<std::size_t> mountLengths_;                       // distinct, longest first
    std::vector<std::vector<std::string> > foldersOnVolume_;
    // Host volume and upper-case folder relative to its root, to the volume
    // mounted there.
    std::map<std::pair<std::size_t, std::string>, std::size_t> mountedOn_;
};

}  // namespace strata_sim

#endif
