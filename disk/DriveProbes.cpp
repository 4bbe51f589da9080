// Drive probes: number, media types, name, geometry and layout of an open drive.
#include "disk/PhysDiskEnum.h"

#include "disk/DriveLayoutReply.h"
#include "collect/TextConversions.h"
#include "disk/InterfaceClasses.h"
#include "ldm/LDMDBParser.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace strata_col {

namespace {

// Room for the GET_MEDIA_TYPES header and 20 entries, at first.
const DWORD kMediaTypesBufferSize = 648;
const std::size_t kMediaTypesHeaderSize = 8;
const std::size_t kMediaInfoSize = 32;
const std::size_t kDiskInfoMediaTypeOffset = 8;
const std::size_t kTapeInfoMediaTypeOffset = 0;


const DWORD kFixedMedia = 12;

struct DeviceTypeName {
    DWORD deviceType;
    const char* name;
};

const DeviceTypeName kDeviceTypeNames[] = {
    {FILE_DEVICE_DISK, "Disk"},     {FILE_DEVICE_CD_ROM, "CD-ROM"},
    {FILE_DEVICE_TAPE, "Tape"},     {FILE_DEVICE_SCANNER, "Scanner"},
    {FILE_DEVICE_DVD, "DVD-ROM"},   {FILE_DEVICE_INFINIBAND, "Infiniband"},
};

std::string NameOfDeviceType(DWORD deviceType) {
    for (const DeviceTypeName& entry : kDeviceTypeNames) {
        if (entry.deviceType == deviceType) return entry.name;
    }
    return std::string();
}

std::uint32_t ReadUint32(const std::vector<unsigned char>& buffer, std::size_t offset) {
    std::uint32_t value = 0;
    if (offset + sizeof(value) <= buffer.size()) std::memcpy(&value, &buffer[offset], sizeof(value));
    return value;
}

bool Succeeded(BOOL result) { return result == 1; }

bool IsUsedEntry(const PARTITION_INFORMATION_EX& entry) {
    if (entry.PartitionStyle == PARTITION_STYLE_MBR) return entry.Mbr.PartitionType != 0;
    if (entry.PartitionStyle == PARTITION_STYLE_GPT) {
        return !SameGuid(entry.Gpt.PartitionType, kNullInterface);
    }
    return false;
}

}  // namespace

int PhysDiskEnum::GetDeviceNumber(HANDLE drive) {
    if (drive == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        log->WriteLevel3("Unable to determine the physical drive number.");
        log->WriteSystemError(error);
        return -1;
    }
    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    if (Succeeded(DeviceIoControl(drive, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                                  sizeof(number), &returned, nullptr))) {
        log->WriteLevel4("Retrieved physical drive number information...");
        return static_cast<int>(number.DeviceNumber);
    }
    DWORD error = GetLastError();
    log->WriteLevel3("IOCTL_STORAGE_GET_DEVICE_NUMBER failed.");
    log->WriteLevel3("Unable to determine the physical drive number.");
    log->WriteSystemError(error);
    return -1;
}

MediaTypeMap PhysDiskEnum::GetMediaTypes(HANDLE drive) {
    MediaTypeMap mediaTypes;
    if (drive == INVALID_HANDLE_VALUE) {
        log->WriteLevel3("Invalid handle value. Unable to get media information.");
        return mediaTypes;
    }
    std::vector<unsigned char> buffer;
    bool answered = false;
    try {
        buffer.assign(kMediaTypesBufferSize, 0);
        answered = AskGrowing(drive, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, buffer);
    } catch (const std::bad_alloc&) {
        log->WriteLevel0("Unable to allocate memory for media type information.");
        return mediaTypes;
    }
    if (!answered) {
        DWORD error = GetLastError();
        log->WriteLevel3(ToDecimalText(static_cast<std::uint32_t>(error)));
        log->WriteLevel3("IOCTL_STORAGE_GET_MEDIA_TYPES_EX failed.");
        log->WriteLevel3("Unable to determine device type or media type.");
        log->WriteSystemError(error);
        return mediaTypes;
    }
    const std::uint32_t deviceType = ReadUint32(buffer, offsetof(GET_MEDIA_TYPES, DeviceType));
    const std::uint32_t count = ReadUint32(buffer, offsetof(GET_MEDIA_TYPES, MediaInfoCount));
    if (count == 0) return mediaTypes;
    log->WriteLevel3("Device Type is " + ToDecimalText(deviceType));
    log->WriteLevel3("media count is " + ToDecimalText(count));
    const std::size_t mediaTypeOffset =
        deviceType == FILE_DEVICE_TAPE ? kTapeInfoMediaTypeOffset : kDiskInfoMediaTypeOffset;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = kMediaTypesHeaderSize + i * kMediaInfoSize;
        // A count beyond what the buffer holds ends the list.
        if (entry + kMediaInfoSize > buffer.size()) break;
        mediaTypes.insert(std::make_pair(deviceType, ReadUint32(buffer, entry + mediaTypeOffset)));
    }
    return mediaTypes;
}

PropertyMap PhysDiskEnum::GetDriveName(HANDLE drive) {
    PropertyMap name;
    const int number = GetDeviceNumber(drive);
    const MediaTypeMap mediaTypes = GetMediaTypes(drive);
    if (number < 0) {
        log->WriteLevel4("Invalid device detected at Disk " + ToDecimalText(number));
        return name;
    }
    std::string typeName;
    if (!mediaTypes.empty()) {
        typeName = NameOfDeviceType(mediaTypes.begin()->first);
    } else {
        typeName = defaultType;
        log->WriteLevel3("Unable to determine disk media information. Skipping disk...");
    }
    name.insert(std::make_pair("Name", typeName + " " + ToDecimalText(number)));
    return name;
}

PropertyMap PhysDiskEnum::GetDiskGeometry(HANDLE drive) {
    return GetGeometry(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY);
}

PropertyMap PhysDiskEnum::GetCdromGeometry(HANDLE drive) {
    return GetGeometry(drive, IOCTL_CDROM_GET_DRIVE_GEOMETRY);
}

PropertyMap PhysDiskEnum::GetGeometry(HANDLE drive, DWORD geometryRequest) {
    PropertyMap geometry;
    DISK_GEOMETRY diskGeometry = {};
    GET_LENGTH_INFORMATION length = {};
    DWORD returned = 0;
    const bool geometryRead = Succeeded(DeviceIoControl(
        drive, geometryRequest, nullptr, 0, &diskGeometry, sizeof(diskGeometry), &returned, nullptr));
    const bool lengthRead = Succeeded(DeviceIoControl(drive, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0,
                                                      &length, sizeof(length), &returned, nullptr));
    // Both answers are looked at after both requests: a failure is logged with
    // the error the thread holds then, the length request's when both failed.
    const DWORD error = GetLastError();
    if (!geometryRead) {
        log->WriteLevel3("Unable to retrieve disk geometry information");
        log->WriteSystemError(error);
        return geometry;
    }
    if (!lengthRead) {
        log->WriteLevel3("Unable to determine the length of this volume.");
        log->WriteSystemError(error);
        return geometry;
    }
    // A driver may report any 32-bit media type, also one MEDIA_TYPE lacks.
    std::uint32_t mediaType = 0;
    std::memcpy(&mediaType,
                reinterpret_cast<const unsigned char*>(&diskGeometry) + offsetof(DISK_GEOMETRY, MediaType),
                sizeof mediaType);
    geometry.insert(std::make_pair("MediaType", ToDecimalText(mediaType)));
    geometry.insert(std::make_pair("Size", ToDecimalText(static_cast<long long>(length.Length.QuadPart))));
    log->WriteLevel4("Retrieved geometry information...");
    return geometry;
}

PropertyMap PhysDiskEnum::GetDriveLayout(HANDLE drive, const std::string& devicePath) {
    PropertyMap layout;
    DriveLayoutReply reply;
    if (!reply.Ask(drive)) {
        DWORD error = GetLastError();
        log->WriteLevel3("Unable to retrieve partition information.");
        log->WriteSystemError(error);
        return layout;
    }
    const DRIVE_LAYOUT_INFORMATION_EX& header = reply.Header();
    if (header.PartitionStyle == PARTITION_STYLE_MBR) {
        layout.insert(std::make_pair(
            "DriveSignature", ToDecimalText(static_cast<std::uint32_t>(header.Mbr.Signature))));
    }

    std::uint32_t used = 0;
    for (std::size_t i = 0; i < reply.EntryCount(); ++i) {
        if (IsUsedEntry(reply.Entry(i))) ++used;
    }

    // A fixed dynamic disk shows one container partition to the system; its
    // real partitions are the database's records for this disk.
    const MediaTypeMap mediaTypes = GetMediaTypes(drive);
    if (!mediaTypes.empty() && mediaTypes.begin()->first == FILE_DEVICE_DISK &&
        mediaTypes.begin()->second == kFixedMedia) {
        const std::string& diskGuid = drives_.DiskGuidOf(devicePath);
        const std::size_t recorded = database ? database->PartitionsOfDisk(diskGuid).size() : 0;
        if (recorded != 0) used = static_cast<std::uint32_t>(recorded);
    }

    layout.insert(std::make_pair("NoOfPartitions", ToDecimalText(used)));
    log->WriteLevel4("Retrieved partition information...");
    return layout;
}

}  // namespace strata_col
