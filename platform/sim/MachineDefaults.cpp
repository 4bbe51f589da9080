// Filling in what a machine description leaves out, and refusing what
// cannot be simulated.
#include "platform/sim/PreparedMachine.h"

#include "platform/sim/FailureInjector.h"
#include "platform/sim/Guid.h"
#include "platform/sim/ImageFile.h"
#include "platform/sim/LayoutDecoder.h"
#include "platform/sim/PathNames.h"

#include <cstdio>
#include <set>
#include <stdexcept>

namespace strata_sim {

namespace {

const std::int64_t kFloppyLength = 1474560;  // 3.5" 1.44 MB
const std::uint32_t kMinSectorSize = 128;
const std::uint32_t kMaxSectorSize = 65536;
const std::uint32_t kMaxGeometryCount = 65535;

struct ClassDefaults {
    InterfaceClass cls;
    std::uint32_t deviceType;
    std::uint32_t mediaType;  // MEDIA_TYPE of the geometry
    std::uint32_t bytesPerSector;
    std::uint32_t tracksPerCylinder;
    std::uint32_t sectorsPerTrack;
};

const ClassDefaults kClassDefaults[] = {
    {InterfaceClass::Disk, FILE_DEVICE_DISK, FixedMedia, 512, 255, 63},
    {InterfaceClass::CdRom, FILE_DEVICE_CD_ROM, RemovableMedia, 2048, 64, 32},
    {InterfaceClass::Tape, FILE_DEVICE_TAPE, Unknown, 512, 1, 1},
    {InterfaceClass::Floppy, FILE_DEVICE_DISK, F3_1Pt44_512, 512, 2, 18},
};

const std::uint32_t kTapeMediaType = DDS_4mm;
const std::uint32_t kCdMediaType = CD_ROM;

const ClassDefaults& DefaultsOf(InterfaceClass cls) {
    for (const ClassDefaults& d : kClassDefaults) {
        if (d.cls == cls) return d;
    }
    return kClassDefaults[0];
}

struct FileSystemFlags {
    const char* name;
    std::uint32_t flags;
};

// Typical GetVolumeInformationA flags of the common file systems.
const FileSystemFlags kFileSystemFlags[] = {
    {"NTFS", 0x000700FF}, {"FAT", 0x00000006}, {"FAT32", 0x00000006},
    {"exFAT", 0x00020006}, {"CDFS", 0x00080005}, {"UDF", 0x00080005},
};

std::runtime_error Bad(const std::string& what) { return std::runtime_error("machine description: " + what); }

void CheckShortBufferError(const std::optional<std::uint32_t>& error, const std::string& label) {
    if (error && *error != ERROR_MORE_DATA && *error != ERROR_INSUFFICIENT_BUFFER && *error != ERROR_BAD_LENGTH) {
        throw Bad(label + ": shortBufferError must be 234 (ERROR_MORE_DATA), 122 (ERROR_INSUFFICIENT_BUFFER) "
                          "or 24 (ERROR_BAD_LENGTH)");
    }
}

std::string DeviceLabel(const Device& device, std::size_t index) {
    return "device " + std::to_string(index) + " (" + device.instanceId + ")";
}

std::string VolumeLabel(const Volume& volume, std::size_t index) {
    return "volume " + std::to_string(index) + " (" + volume.guidName + ")";
}

const std::int64_t kMaxOffset = INT64_MAX;

// Offsets and lengths on a disk are byte counts: never negative, and the end
// of each piece, and of all a volume's pieces together, must fit 64 bits.
void CheckExtents(const std::vector<DiskExtentDescription>& extents, const std::string& label) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const DiskExtentDescription& extent = extents[i];
        const std::string name = label + ": extent " + std::to_string(i);
        if (extent.startingOffset < 0 || extent.length < 0) throw Bad(name + " has a negative offset or length");
        if (extent.length > kMaxOffset - extent.startingOffset) throw Bad(name + " ends past 2^63 - 1 bytes");
        if (extent.length > kMaxOffset - total) throw Bad(label + ": the extents are longer than 2^63 - 1 bytes");
        total += extent.length;
    }
}

void CheckPartitions(const DriveLayout& layout, const std::string& label) {
    for (std::size_t i = 0; i < layout.partitions.size(); ++i) {
        const PartitionEntry& entry = layout.partitions[i];
        const std::string name = label + ": partition " + std::to_string(i);
        if (entry.startingOffset < 0 || entry.length < 0) throw Bad(name + " has a negative offset or length");
        if (entry.length > kMaxOffset - entry.startingOffset) throw Bad(name + " ends past 2^63 - 1 bytes");
    }
}

std::string MadeUpVolumeName(std::size_t index) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\\\?\\Volume{5354524b-0000-0000-0000-%012zx}\\", index + 1);
    return name;
}

}  // namespace

void PreparedMachine::FillDevice(Device& device, std::size_t index) {
    if (device.instanceId.empty()) throw Bad("device " + std::to_string(index) + " has no instance ID");
    const std::string label = DeviceLabel(device, index);
    const ClassDefaults& defaults = DefaultsOf(device.interfaceClass);
    if (device.devicePath.empty()) {
        device.devicePath = InterfacePath(device.instanceId, InterfaceClassGuid(device.interfaceClass));
    }
    if (!device.deviceType) device.deviceType = defaults.deviceType;
    CheckShortBufferError(device.shortBufferError, label);

    Geometry& g = device.geometry;
    if (!g.bytesPerSector) g.bytesPerSector = defaults.bytesPerSector;
    const std::uint32_t sectorSize = *g.bytesPerSector;
    if (sectorSize < kMinSectorSize || sectorSize > kMaxSectorSize || (sectorSize & (sectorSize - 1)) != 0) {
        throw Bad(label + ": bytesPerSector must be a power of two from 128 to 65536");
    }
    if (!g.mediaType) g.mediaType = defaults.mediaType;
    if (!g.tracksPerCylinder) g.tracksPerCylinder = defaults.tracksPerCylinder;
    if (!g.sectorsPerTrack) g.sectorsPerTrack = defaults.sectorsPerTrack;
    if (*g.tracksPerCylinder == 0 || *g.sectorsPerTrack == 0 || *g.tracksPerCylinder > kMaxGeometryCount ||
        *g.sectorsPerTrack > kMaxGeometryCount) {
        throw Bad(label + ": tracksPerCylinder and sectorsPerTrack must be from 1 to 65535");
    }

    ImageFile image;
    if (!device.image.empty()) {
        if (!image.Open(device.image)) {
            throw Bad(label + ": cannot open image " + device.image + ": " + image.Error());
        }
        if (!device.length) device.length = image.Size();
    }
    const bool readable = device.mediaPresent && device.interfaceClass != InterfaceClass::Tape;
    if (!device.length) {
        if (device.interfaceClass == InterfaceClass::Floppy) {
            device.length = kFloppyLength;
        } else if (readable) {
            throw Bad(label + ": needs a length or an image");
        } else {
            device.length = 0;
        }
    }
    if (*device.length < 0) throw Bad(label + ": negative length");
    if (g.cylinders && *g.cylinders < 0) throw Bad(label + ": negative cylinder count");
    if (!g.cylinders) {
        const std::int64_t cylinderBytes =
            static_cast<std::int64_t>(*g.tracksPerCylinder) * *g.sectorsPerTrack * sectorSize;
        g.cylinders = *device.length / cylinderBytes;
    }

    if (!device.mediaTypes) {
        switch (device.interfaceClass) {
            case InterfaceClass::Tape: device.mediaTypes = std::vector<std::uint32_t>{kTapeMediaType}; break;
            case InterfaceClass::CdRom: device.mediaTypes = std::vector<std::uint32_t>{kCdMediaType}; break;
            default: device.mediaTypes = std::vector<std::uint32_t>{*g.mediaType}; break;
        }
    }

    if (device.layout) CheckPartitions(*device.layout, label);  // a decoded layout is checked as it is read
    if (!device.layout) {
        SectorSource source;
        source.image = image.IsOpen() ? &image : nullptr;
        source.length = readable ? *device.length : 0;
        source.bytesPerSector = sectorSize;
        std::vector<std::string> notes;
        device.layout = DecodeLayout(source, notes);
        for (const std::string& note : notes) notes_.push_back(label + ": " + note);
    }
    for (PartitionEntry& entry : device.layout->partitions) {
        if (!entry.recognized) entry.recognized = IsRecognizedMbrType(entry.mbrType);
        if (!entry.hiddenSectors) {
            entry.hiddenSectors = static_cast<std::uint32_t>(entry.startingOffset / sectorSize);
        }
    }
}

void PreparedMachine::FillVolume(Volume& volume, std::size_t index) {
    if (volume.guidName.empty()) volume.guidName = MadeUpVolumeName(index);
    const std::string label = VolumeLabel(volume, index);
    if (!IsVolumeGuidName(volume.guidName)) {
        throw Bad(label + ": the GUID name must look like \\\\?\\Volume{GUID}\\");
    }
    for (const std::string& root : volume.roots) {
        if (!IsDriveRoot(root)) throw Bad(label + ": drive root " + root + " is not like C:\\");
    }
    for (const std::string& folder : volume.mountFolders) {
        if (folder.empty() || folder.back() != '\\') {
            throw Bad(label + ": mount folder " + folder + " must end with a backslash");
        }
    }
    CheckExtents(volume.extents, label);
    if (volume.driveType > DRIVE_RAMDISK) throw Bad(label + ": drive type " + std::to_string(volume.driveType));
    CheckShortBufferError(volume.shortBufferError, label);
    const bool deviceTypeGiven = volume.deviceType.has_value();
    if (!deviceTypeGiven) {
        volume.deviceType = volume.driveType == DRIVE_CDROM ? FILE_DEVICE_CD_ROM : FILE_DEVICE_DISK;
    }
    if (!volume.deviceNumber) {
        const std::vector<std::uint32_t> disks = VolumeDisks(index);
        if (disks.size() == 1) volume.deviceNumber = disks.front();
    }
    const std::optional<std::size_t> device = DeviceOfVolume(index);
    const Device* disk = device ? &machine_.devices[*device] : nullptr;
    if (disk != nullptr && !deviceTypeGiven) volume.deviceType = disk->deviceType;  // a DVD drive's, say
    if (!volume.mediaPresent) volume.mediaPresent = disk ? disk->mediaPresent : true;
    if (!volume.length) {
        std::int64_t sum = 0;
        for (const DiskExtentDescription& extent : volume.extents) sum += extent.length;  // bounded by CheckExtents
        if (volume.extents.empty() && disk != nullptr && *volume.mediaPresent) sum = *disk->length;
        volume.length = sum;
    }
    if (*volume.length < 0) throw Bad(label + ": negative length");
    if (!volume.totalBytes) volume.totalBytes = static_cast<std::uint64_t>(*volume.length);
    if (!volume.totalFreeBytes) volume.totalFreeBytes = volume.freeBytes;
    if (!volume.fileSystemFlags) {
        volume.fileSystemFlags = 0;
        for (const FileSystemFlags& fs : kFileSystemFlags) {
            if (EqualNoCase(volume.fileSystem, fs.name)) volume.fileSystemFlags = fs.flags;
        }
    }
    if (!volume.partitionNumber) {
        volume.partitionNumber = -1;
        if (disk != nullptr && volume.extents.size() == 1 && disk->layout) {
            for (const PartitionEntry& entry : disk->layout->partitions) {
                if (entry.number != 0 && entry.startingOffset == volume.extents.front().startingOffset) {
                    volume.partitionNumber = static_cast<std::int32_t>(entry.number);
                }
            }
        }
    }
}

void PreparedMachine::CheckFailures() const {
    for (std::size_t i = 0; i < machine_.failures.size(); ++i) {
        const Failure& f = machine_.failures[i];
        const std::string label = "failure " + std::to_string(i) + " (" + f.call + ")";
        if (!IsKnownCall(f.call)) throw Bad(label + ": no such call");
        if (f.controlCode != 0 && f.call != "DeviceIoControl") {
            throw Bad(label + ": a control code only applies to DeviceIoControl");
        }
        if (f.index >= 0 && f.call != "SetupDiEnumDeviceInfo" && f.call != "SetupDiEnumDeviceInterfaces") {
            throw Bad(label + ": a member index only applies to SetupDiEnumDeviceInfo/Interfaces");
        }
    }
}

PreparedMachine::PreparedMachine(const Machine& machine) : machine_(machine) {
    std::set<std::string> paths;
    for (std::size_t i = 0; i < machine_.devices.size(); ++i) {
        FillDevice(machine_.devices[i], i);
        if (!paths.insert(UpperText(machine_.devices[i].devicePath)).second) {
            throw Bad(DeviceLabel(machine_.devices[i], i) + ": device path used twice");
        }
    }
    IndexDeviceNames();
    for (std::size_t i = 0; i < machine_.volumes.size(); ++i) FillVolume(machine_.volumes[i], i);
    IndexMountPaths();
    IndexFailureNames();
    CheckMountCycles();
    CheckFailures();
}

}  // namespace strata_sim
