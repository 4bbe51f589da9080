#include "platform/sim/IoctlReplies.h"

#include <cstring>

namespace strata_sim {

namespace {

// DEVICE_MEDIA_INFO characteristics.
const DWORD kMediaReadOnly = 0x00000004;
const DWORD kMediaReadWrite = 0x00000008;
const DWORD kMediaCurrentlyMounted = 0x80000000;
const DWORD kBusTypeScsi = 1;
const DWORD kNoPartition = 0xFFFFFFFF;
const std::size_t kGptNameChars = 36;

template <class T>
void Append(std::vector<unsigned char>& bytes, const T& value) {
    const unsigned char* start = reinterpret_cast<const unsigned char*>(&value);
    bytes.insert(bytes.end(), start, start + sizeof(T));
}

PARTITION_INFORMATION_EX PartitionInfo(PARTITION_STYLE style, const PartitionEntry& entry) {
    PARTITION_INFORMATION_EX info;
    std::memset(&info, 0, sizeof(info));
    info.PartitionStyle = style;
    info.StartingOffset.QuadPart = entry.startingOffset;
    info.PartitionLength.QuadPart = entry.length;
    info.PartitionNumber = entry.number;
    if (style == PARTITION_STYLE_GPT) {
        info.Gpt.PartitionType = entry.gptType;
        info.Gpt.PartitionId = entry.gptId;
        info.Gpt.Attributes = entry.gptAttributes;
        for (std::size_t i = 0; i < entry.gptName.size() && i < kGptNameChars; ++i) {
            info.Gpt.Name[i] = static_cast<unsigned char>(entry.gptName[i]);
        }
    } else {
        info.Mbr.PartitionType = entry.mbrType;
        info.Mbr.BootIndicator = entry.bootIndicator;
        info.Mbr.RecognizedPartition = entry.recognized.value_or(false);
        info.Mbr.HiddenSectors = entry.hiddenSectors.value_or(0);
    }
    return info;
}

}  // namespace

STORAGE_DEVICE_NUMBER DeviceNumberOf(const Device& device) {
    STORAGE_DEVICE_NUMBER number;
    number.DeviceType = device.deviceType.value_or(FILE_DEVICE_DISK);
    number.DeviceNumber = device.deviceNumber;
    // Partition 0 is the whole disk; devices without partitions report -1.
    const bool partitioned =
        device.interfaceClass == InterfaceClass::Disk || device.interfaceClass == InterfaceClass::Floppy;
    number.PartitionNumber = partitioned ? 0 : kNoPartition;
    return number;
}

DISK_GEOMETRY GeometryOf(const Device& device) {
    const Geometry& g = device.geometry;
    DISK_GEOMETRY geometry;
    std::memset(&geometry, 0, sizeof(geometry));
    geometry.Cylinders.QuadPart = g.cylinders.value_or(0);
    // Any 32-bit value a driver may report, also one outside the enumeration.
    const std::uint32_t mediaType = g.mediaType.value_or(FixedMedia);
    std::memcpy(&geometry.MediaType, &mediaType, sizeof mediaType);
    geometry.TracksPerCylinder = g.tracksPerCylinder.value_or(0);
    geometry.SectorsPerTrack = g.sectorsPerTrack.value_or(0);
    geometry.BytesPerSector = g.bytesPerSector.value_or(512);
    return geometry;
}

std::vector<unsigned char> MediaTypesReply(const Device& device) {
    const std::vector<std::uint32_t> types = device.mediaTypes.value_or(std::vector<std::uint32_t>());
    std::vector<unsigned char> reply;
    const DWORD deviceType = device.deviceType.value_or(FILE_DEVICE_DISK);
    Append(reply, deviceType);
    Append(reply, static_cast<DWORD>(types.size()));
    DWORD characteristics = device.interfaceClass == InterfaceClass::CdRom ? kMediaReadOnly : kMediaReadWrite;
    if (device.mediaPresent) characteristics |= kMediaCurrentlyMounted;
    for (std::uint32_t type : types) {
        DEVICE_MEDIA_INFO info;
        std::memset(&info, 0, sizeof(info));
        if (deviceType == FILE_DEVICE_TAPE) {
            std::memcpy(&info.DeviceSpecific.TapeInfo.MediaType, &type, sizeof type);
            info.DeviceSpecific.TapeInfo.MediaCharacteristics = characteristics;
            info.DeviceSpecific.TapeInfo.BusType = kBusTypeScsi;
        } else {
            const DISK_GEOMETRY g = GeometryOf(device);
            info.DeviceSpecific.DiskInfo.Cylinders = g.Cylinders;
            std::memcpy(&info.DeviceSpecific.DiskInfo.MediaType, &type, sizeof type);
            info.DeviceSpecific.DiskInfo.TracksPerCylinder = g.TracksPerCylinder;
            info.DeviceSpecific.DiskInfo.SectorsPerTrack = g.SectorsPerTrack;
            info.DeviceSpecific.DiskInfo.BytesPerSector = g.BytesPerSector;
            info.DeviceSpecific.DiskInfo.NumberMediaSides = 1;
            info.DeviceSpecific.DiskInfo.MediaCharacteristics = characteristics;
        }
        Append(reply, info);
    }
    return reply;
}

std::vector<unsigned char> LayoutReply(const DriveLayout& layout) {
    std::vector<unsigned char> reply(kLayoutHeaderSize, 0);
    DRIVE_LAYOUT_INFORMATION_EX header;
    std::memset(&header, 0, sizeof(header));
    header.PartitionStyle = layout.style;
    header.PartitionCount = static_cast<DWORD>(layout.partitions.size());
    if (layout.style == PARTITION_STYLE_MBR) {
        header.Mbr.Signature = layout.mbrSignature;
    } else if (layout.style == PARTITION_STYLE_GPT) {
        header.Gpt.DiskId = layout.gptDiskId;
        header.Gpt.StartingUsableOffset.QuadPart = layout.gptStartingUsableOffset;
        header.Gpt.UsableLength.QuadPart = layout.gptUsableLength;
        header.Gpt.MaxPartitionCount = layout.gptMaxPartitionCount;
    }
    std::memcpy(reply.data(), &header, kLayoutHeaderSize);
    // A raw disk lists no partitions; its entries keep the disk's style.
    for (const PartitionEntry& entry : layout.partitions) Append(reply, PartitionInfo(layout.style, entry));
    return reply;
}

std::vector<unsigned char> ExtentsReply(const Volume& volume) {
    std::vector<unsigned char> reply(kExtentsHeaderSize, 0);
    const DWORD count = static_cast<DWORD>(volume.extents.size());
    std::memcpy(reply.data(), &count, sizeof(count));
    for (const DiskExtentDescription& described : volume.extents) {
        DISK_EXTENT extent;
        std::memset(&extent, 0, sizeof(extent));
        extent.DiskNumber = described.diskNumber;
        extent.StartingOffset.QuadPart = described.startingOffset;
        extent.ExtentLength.QuadPart = described.length;
        Append(reply, extent);
    }
    return reply;
}

}  // namespace strata_sim
