// A volume's disk extents, and its layout and state in the dynamic-disk
// database, found by matching the extents against the partition records.
#include "volume/StorageVolEnum.h"

#include "collect/GrowingReply.h"
#include "collect/TextConversions.h"
#include "ldm/DatabaseLookup.h"
#include "ldm/LDMDBParser.h"
#include "platform/win32.h"
#include "collect/DeviceHandle.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace strata_col {

namespace {

const std::size_t kExtentsOffset = offsetof(VOLUME_DISK_EXTENTS, Extents);
// Room the retry allows per extent, beyond the header's extent count.
const std::size_t kRetryBytesPerExtent = 32;
const std::size_t kRetryHeaderBytes = 4;
// More extents than any volume has; a larger count is not believed.
const DWORD kMaxExtents = 1u << 16;

// A hex count field as an int; absurd values saturate instead of wrapping.
int HexCount(const RecordMap& record, const char* key) {
    const std::uint64_t value = HexField(record, key);
    return value > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

ExtentMap ExtentsFromAnswer(const std::vector<unsigned char>& answer) {
    ExtentMap extents;
    DWORD count = 0;
    std::memcpy(&count, answer.data(), sizeof count);
    const std::size_t fits = (answer.size() - kExtentsOffset) / sizeof(DISK_EXTENT);
    for (std::size_t i = 0; i < count && i < fits; ++i) {
        DISK_EXTENT raw;
        std::memcpy(&raw, answer.data() + kExtentsOffset + i * sizeof(DISK_EXTENT), sizeof raw);
        DiskExtent extent;
        extent.diskNumber = raw.DiskNumber;
        extent.startingOffset = raw.StartingOffset.QuadPart;
        extent.extentLength = raw.ExtentLength.QuadPart;
        // The first extent on a disk stands for the volume on that disk.
        extents.insert(std::make_pair(PhysicalDrivePath(raw.DiskNumber), extent));
    }
    return extents;
}

}  // namespace

ExtentMap StorageVolEnum::GetDynamicVolumeExtents(const std::string& devicePath) {
    DeviceHandle volume(DeviceHandle::OpenForQueries(devicePath));
    if (!volume.IsValid()) {
        const DWORD error = GetLastError();
        log->WriteLevel3("Unable to create the file for the Dynamic volume extent.");
        log->WriteSystemError(error);
        return ExtentMap();
    }

    std::vector<unsigned char> answer(sizeof(VOLUME_DISK_EXTENTS), 0);
    DWORD returned = 0;
    if (!DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                         answer.data(), static_cast<DWORD>(answer.size()), &returned, nullptr)) {
        const DWORD error = GetLastError();
        // Some volume drivers answer a short buffer with nothing, not even
        // the number of extents: ask again with growing room.
        if (error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_BAD_LENGTH) {
            return AskGrowing(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, answer)
                       ? ExtentsFromAnswer(answer)
                       : ExtentMap();
        }
        if (error != ERROR_MORE_DATA) {
            log->WriteLevel3("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS failed in Dynamic volume extent.");
            log->WriteSystemError(error);
            return ExtentMap();
        }
        // The first answer holds the number of extents; ask again with room
        // for all of them.
        DWORD count = 0;
        std::memcpy(&count, answer.data(), sizeof count);
        if (count > kMaxExtents) {
            log->WriteLevel3("Volume reports " + ToDecimalText(static_cast<std::uint32_t>(count)) +
                             " disk extents; extents not read.");
            return ExtentMap();
        }
        const std::size_t size = count * kRetryBytesPerExtent + kRetryHeaderBytes;
        answer.assign(size < sizeof(VOLUME_DISK_EXTENTS) ? sizeof(VOLUME_DISK_EXTENTS) : size, 0);
        if (!DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                             answer.data(), static_cast<DWORD>(answer.size()), &returned,
                             nullptr)) {
            return ExtentMap();
        }
    }
    return ExtentsFromAnswer(answer);
}

RecordMap StorageVolEnum::GetVolumeLayoutAndState(const std::string& devicePath,
                                                  const DiskDatabaseMap& databases) {
    return FindDynamicVolume(devicePath, databases).volume;
}

DynamicVolume StorageVolEnum::FindDynamicVolume(const std::string& devicePath,
                                                const DiskDatabaseMap& databases) {
    DynamicVolume result;
    const ExtentMap extents = GetDynamicVolumeExtents(devicePath);
    for (const auto& extent : extents) {
        // The last matching partition, in scanning order, is the answer.
        DynamicVolume match = MatchDynamicVolume(extent.first, extent.second, databases);
        if (!match.volume.empty()) result = std::move(match);
    }
    return result;
}

// The volume record, with its layout, of the last partition record of the
// drive's database that the extent occupies; empty when there is none.
DynamicVolume StorageVolEnum::MatchDynamicVolume(const std::string& drivePath,
                                                 const DiskExtent& extent,
                                                 const DiskDatabaseMap& databases) {
    DynamicVolume result;
    const DynamicDrive& disk = drives_.Of(drivePath);
    const ExtentPartitions found = PartitionsOfExtent(disk, extent, databases);
    if (found.database == nullptr) return result;
    result.sectors = disk.sectors;
    const LDMDataBase& records = *found.database;

    // Layout and state take the last matching record in ObjectID order that
    // has its component and volume records.
    for (const PlacedPartition* partition = found.partitions.end();
         partition != found.partitions.begin();) {
        --partition;
        const RecordMap* component = ComponentOfPartition(records, *partition->ref.record);
        const RecordMap* volume = component ? VolumeOfComponent(records, *component) : nullptr;
        if (volume == nullptr) continue;
        result.volume = *volume;
        result.volume["Layout"] = LayoutName(HexCount(*component, "ComponentType"),
                                      HexCount(*volume, "NumberOfChildren"),
                                      HexCount(*component, "NumberOfChildren"));
        break;
    }
    return result;
}

std::string StorageVolEnum::LayoutName(int componentType, int volumeChildren,
                                       int componentChildren) {
    using namespace component_type;
    if (volumeChildren >= 2) return "Mirror";  // one plex per component
    if (componentType == kStriped) return "Striped";
    if (componentType == kConcatenated && componentChildren >= 2) return "Spanned";
    if (componentType == kConcatenated && componentChildren == 1) return "Simple";
    if (componentType == kRaid5) return "RAID-5";
    return "Unknown";
}

}  // namespace strata_col
