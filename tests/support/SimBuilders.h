// Pieces of simulated machines: disks, volumes, extents, failures.
#ifndef STRATA_TESTS_SUPPORT_SIMBUILDERS_H
#define STRATA_TESTS_SUPPORT_SIMBUILDERS_H

#include "platform/sim/SimMachine.h"

#include <cstdio>
#include <string>
#include <vector>

namespace strata_test {

// A volume GUID name made from a number.
inline std::string VolumeGuidName(unsigned number) {
    char name[64];
    std::snprintf(name, sizeof name, "\\\\?\\Volume{7465737d-0000-0000-0000-%012x}\\", number);
    return name;
}

// A fixed NTFS volume with a label, serial number and space figures.
inline strata_sim::Volume NtfsVolume(unsigned number, std::vector<std::string> roots,
                                     std::vector<std::string> mountFolders = {}) {
    strata_sim::Volume volume;
    volume.guidName = VolumeGuidName(number);
    volume.roots = roots;
    volume.mountFolders = mountFolders;
    volume.fileSystem = "NTFS";
    volume.label = "Data";
    volume.serialNumber = 305419896;
    volume.freeBytes = 1000;
    volume.totalBytes = 4096;
    volume.totalFreeBytes = 2000;
    volume.length = 8192;
    return volume;
}

inline strata_sim::DiskExtentDescription Extent(std::uint32_t disk, std::int64_t offset,
                                         std::int64_t length) {
    strata_sim::DiskExtentDescription extent;
    extent.diskNumber = disk;
    extent.startingOffset = offset;
    extent.length = length;
    return extent;
}

// The tests' one way to make a disk device: a fixed disk with device number
// `number` and an instance ID made from it; backed by the image when one is
// given, else 1 MiB of zeros.
inline strata_sim::Device FixedDisk(std::uint32_t number, const std::string& image = "") {
    strata_sim::Device disk;
    disk.interfaceClass = strata_sim::InterfaceClass::Disk;
    disk.instanceId = "SCSI\\DISK&VEN_STRATA\\" + std::to_string(number);
    disk.deviceNumber = number;
    disk.image = image;
    disk.geometry.mediaType = FixedMedia;
    if (image.empty()) disk.length = 1 << 20;
    return disk;
}

// The same without image, `length` bytes long, under another instance ID
// when one is given.
inline strata_sim::Device FixedDisk(std::uint32_t number, std::int64_t length, const std::string& instanceId = "") {
    strata_sim::Device disk = FixedDisk(number);
    disk.length = length;
    if (!instanceId.empty()) disk.instanceId = instanceId;
    return disk;
}

// The same with the drive layout given rather than read from an image.
inline strata_sim::Device FixedDisk(std::uint32_t number, strata_sim::DriveLayout layout,
                                    std::int64_t length = 1 << 20) {
    strata_sim::Device disk = FixedDisk(number, length);
    disk.layout = layout;
    return disk;
}

// A drive-layout entry: partition `number` (0 for an extended or unused MBR
// slot) of MBR `type`, 1 MiB at (number + 1) MiB unless placed. A GPT entry
// sets its gptType after.
inline strata_sim::PartitionEntry LayoutEntry(std::uint32_t number, std::uint8_t type, std::int64_t start = -1,
                                           std::int64_t length = 1 << 20) {
    strata_sim::PartitionEntry entry;
    entry.number = number;
    entry.mbrType = type;
    entry.startingOffset = start >= 0 ? start : (std::int64_t(number) + 1) << 20;
    entry.length = length;
    return entry;
}

inline strata_sim::Failure Fail(const std::string& call, const std::string& target,
                                std::uint32_t error, std::uint32_t controlCode = 0) {
    strata_sim::Failure failure;
    failure.call = call;
    failure.target = target;
    failure.error = error;
    failure.controlCode = controlCode;
    return failure;
}

}  // namespace strata_test

#endif
