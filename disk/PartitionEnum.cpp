#include "disk/PartitionEnum.h"

#include "disk/DriveLayoutReply.h"
#include "collect/TextConversions.h"
#include "disk/InterfaceClasses.h"
#include "disk/PartitionTypeCodes.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/DatabaseLookup.h"
#include "ldm/DriveSectors.h"
#include "ldm/DynamicDeviceIds.h"
#include "ldm/LDMDBParser.h"
#include "collect/DeviceHandle.h"

#include <cstddef>
#include <cstring>
#include <set>

namespace strata_col {

namespace {


using namespace partition_type;

const BYTE kMbrExtended = 0x05;
const BYTE kMbrExtendedLba = 0x0F;
const BYTE kFaultTolerantBit = 0x80;
const BYTE kFileSystemTypeMask = 0x3F;
const BYTE kFaultTolerantTypes[] = {0x01, 0x06, 0x07, 0x0B, 0x0C, 0x0E};

const char kGptSubType[] = "65535";

struct GptType {
    GUID type;
    unsigned code;
};

// Compared in this order.
const GptType kGptTypes[] = {
    {{0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}}, kBasicData},
    {{0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}}, kEfiSystem},
    {{0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}},
     kMicrosoftReserved},
    {{0x5808C8AA, 0x7E8F, 0x42E0, {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}}, kLdmMetadata},
    {{0xAF9B60A0, 0x1431, 0x4F62, {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}}, kLdmData},
};

// The Windows test for a fault-tolerant set member's type byte.
bool IsFaultTolerantType(BYTE type) {
    if ((type & kFaultTolerantBit) == 0) return false;
    for (BYTE fileSystem : kFaultTolerantTypes) {
        if ((type & kFileSystemTypeMask) == fileSystem) return true;
    }
    return false;
}

std::string Code(unsigned code) { return ToDecimalText(static_cast<std::uint32_t>(code)); }

// A sector field of a partition record in bytes; false, leaving it out, when
// the bytes pass 64 bits.
bool InsertBytes(PropertyMap& record, const std::string& name, std::uint64_t sectors,
                 const DriveSectors& units) {
    std::uint64_t bytes = 0;
    if (!units.ToBytes(sectors, bytes)) return false;
    AddProperty(record, name, ToDecimalText(static_cast<unsigned long long>(bytes)));
    return true;
}

}  // namespace

PartitionEnum::PartitionEnum() : extendedSeen(false), log(LogMessage::Instance()) {}

std::vector<PropertyMap> PartitionEnum::CollectPartitions(const GUID& interfaceClass,
                                                          DiskDatabaseMap& databases) {
    std::vector<PropertyMap> records;
    PhysDiskEnum drives;
    const bool diskClass = SameGuid(interfaceClass, kDiskInterface);
    const DynamicDeviceIds ids(databases);
    std::set<std::string> reportedDisks;
    for (const auto& device : drives.EnumerateDevices(interfaceClass)) {
        const std::string& devicePath = device.second;
        if (diskClass) {
            const std::string& diskGuid = drives_.DiskGuidOf(devicePath);
            // A dynamic disk's layout shows only its container partition. A
            // disk its database has partition records for is reported from
            // them alone, even when none is complete enough to report; the
            // layout serves only a disk without any.
            const DiskDatabaseMap::const_iterator database =
                diskGuid.empty() ? databases.end() : databases.find(diskGuid);
            if (database != databases.end() && database->second &&
                !database->second->PartitionsOfDisk(diskGuid).empty()) {
                // A cloned disk carries another drive's identity and
                // records: the disk's partitions are reported once, with
                // the first drive.
                if (!reportedDisks.insert(diskGuid).second) {
                    log->WriteLevel3("Disk " + devicePath + " carries the dynamic-disk identity " + diskGuid +
                                     " of a disk reported before; its partitions are reported once.");
                    continue;
                }
                const std::vector<PropertyMap> dynamic =
                    DynamicPartitions(devicePath, diskGuid, databases, ids);
                records.insert(records.end(), dynamic.begin(), dynamic.end());
                continue;
            }
        }

        // No geometry: an empty drive, or one that does not open (the probe
        // then fails on the invalid handle and logs why); no partitions.
        DeviceHandle drive(drives.OpenDevice(devicePath));
        if (drives.GetDiskGeometry(drive.Get()).empty()) continue;
        const PropertyMap name = drives.GetDriveName(drive.Get());
        PropertyMap::const_iterator diskName = name.find("Name");
        const std::vector<PropertyMap> basic =
            BasicPartitions(drive.Get(), diskName == name.end() ? "Unknown" : diskName->second);
        records.insert(records.end(), basic.begin(), basic.end());
    }
    return records;
}

std::vector<PropertyMap> PartitionEnum::BasicPartitions(HANDLE drive, const std::string& diskName) {
    std::vector<PropertyMap> records;
    extendedSeen = false;
    if (drive == INVALID_HANDLE_VALUE) return records;

    DriveLayoutReply layout;
    if (!layout.Ask(drive)) {
        const DWORD error = GetLastError();
        log->WriteLevel3("Unable to retrieve partition information.");
        log->WriteSystemError(error);
        return records;
    }

    const DRIVE_LAYOUT_INFORMATION_EX& header = layout.Header();
    for (std::size_t i = 0; i < layout.EntryCount(); ++i) {
        const PARTITION_INFORMATION_EX entry = layout.Entry(i);
        PropertyMap record = PartitionProperties(entry);
        if (record.empty()) continue;
        const std::string identifier =
            diskName + ",Partition " + ToDecimalText(static_cast<std::uint32_t>(entry.PartitionNumber));
        AddProperty(record, "Signature",
               entry.PartitionStyle == PARTITION_STYLE_MBR
                   ? ToDecimalText(static_cast<std::uint32_t>(header.Mbr.Signature))
                   : std::string("0"));
        AddProperty(record, "DeviceID", identifier);
        AddProperty(record, "Name", identifier);
        records.push_back(record);
    }
    return records;
}

PropertyMap PartitionEnum::PartitionProperties(const PARTITION_INFORMATION_EX& entry) {
    if (entry.PartitionStyle == PARTITION_STYLE_MBR && entry.Mbr.PartitionType != 0) {
        return MbrPartitionProperties(entry);
    }
    if (entry.PartitionStyle == PARTITION_STYLE_GPT && !SameGuid(entry.Gpt.PartitionType, kNullInterface)) {
        return GptPartitionProperties(entry);
    }
    return PropertyMap();
}

PropertyMap PartitionEnum::MbrPartitionProperties(const PARTITION_INFORMATION_EX& entry) {
    PropertyMap record;
    const bool boot = entry.Mbr.BootIndicator == 1;
    const bool recognized = entry.Mbr.RecognizedPartition == 1;
    BYTE type = entry.Mbr.PartitionType;
    bool primary = false;
    unsigned code = kUnrecognized;
    if (recognized && boot) {
        code = kBootablePrimary;
        primary = true;
    } else if (type == kMbrExtended || type == kMbrExtendedLba) {
        // The entries that chain the logical drives repeat the extended
        // type; only the disk's first extended entry is a partition.
        if (extendedSeen) return record;
        code = kExtended;
        type = 0;
        extendedSeen = true;
    } else {
        code = recognized ? kRecognized : kUnrecognized;
    }
    AddProperty(record, "Bootable", BoolText(boot));
    AddProperty(record, "Allocatable", BoolText(recognized));
    AddProperty(record, "PartitionType", Code(code));
    AddProperty(record, "PartitionSubType", Code(type));
    AddProperty(record, "PrimaryPartition", BoolText(primary));
    AddProperty(record, "FaultTolerant", BoolText(IsFaultTolerantType(type)));
    AddProperty(record, "Size", ToDecimalText(static_cast<long long>(entry.PartitionLength.QuadPart)));
    AddProperty(record, "StartingOffset", ToDecimalText(static_cast<long long>(entry.StartingOffset.QuadPart)));
    return record;
}

PropertyMap PartitionEnum::GptPartitionProperties(const PARTITION_INFORMATION_EX& entry) {
    PropertyMap record;
    unsigned code = kUnrecognized;
    for (const GptType& known : kGptTypes) {
        if (SameGuid(entry.Gpt.PartitionType, known.type)) {
            code = known.code;
            break;
        }
    }
    AddProperty(record, "PartitionType", Code(code));
    AddProperty(record, "PartitionSubType", kGptSubType);
    AddProperty(record, "Size", ToDecimalText(static_cast<long long>(entry.PartitionLength.QuadPart)));
    AddProperty(record, "StartingOffset", ToDecimalText(static_cast<long long>(entry.StartingOffset.QuadPart)));
    AddProperty(record, "FaultTolerant", BoolText(false));
    AddProperty(record, "Bootable", BoolText(false));
    AddProperty(record, "Allocatable", BoolText(false));
    AddProperty(record, "PrimaryPartition", BoolText(false));
    return record;
}

std::vector<PropertyMap> PartitionEnum::DynamicPartitions(const std::string& devicePath,
                                                           const std::string& diskGuid,
                                                           const DiskDatabaseMap& databases,
                                                           const DynamicDeviceIds& ids) {
    std::vector<PropertyMap> records;
    DiskDatabaseMap::const_iterator found = databases.find(diskGuid);
    if (found == databases.end()) return records;
    const DiskDatabase& database = *found->second;

    const DriveSectors units = drives_.Of(devicePath).sectors;
    for (const DiskPartitionRef& partition : database.PartitionsOfDisk(diskGuid)) {
        const std::string& objectId = *partition.objectId;
        const RecordMap& placed = *partition.record;
        const RecordMap* component = ComponentOfPartition(database, placed);
        const RecordMap* volume = component ? VolumeOfComponent(database, *component) : nullptr;
        if (volume == nullptr) {
            log->WriteLevel3("Partition record " + objectId + " on " + devicePath +
                             " has no component or volume record; partition not reported.");
            continue;
        }
        // Members of a RAID-5 component or of a mirror are fault tolerant.
        const bool faultTolerant = HexField(*component, "ComponentType") == component_type::kRaid5 ||
                                   HexField(*volume, "NumberOfChildren") > 1;
        PropertyMap record;
        AddProperty(record, "PartitionType", Code(kDynamic));
        AddProperty(record, "FaultTolerant", BoolText(faultTolerant));
        AddProperty(record, "PartitionSubType", RecordField(*volume, "PartitionType"));
        // Sector fields count the drive's sectors (read with its private header).
        const struct {
            const char* property;
            const char* field;
        } sectorFields[] = {{"Size", "Size"}, {"StartingOffset", "Start"}};
        for (const auto& sectorField : sectorFields) {
            const std::uint64_t sectors = HexField(placed, sectorField.field);
            if (!InsertBytes(record, sectorField.property, sectors, units)) {
                log->WriteLevel3("Partition record " + objectId + " on " + devicePath + ": its " + sectorField.field +
                                 " of " + ToDecimalText(static_cast<unsigned long long>(sectors)) +
                                 " sectors passes 64 bits of bytes; " + sectorField.property + " left out.");
            }
        }
        AddProperty(record, "Name", RecordField(placed, "Name"));
        const std::string deviceId = ids.DeviceId(&database, &LDMDataBase::partitions, objectId);
        AddProperty(record, "DeviceID", deviceId);
        AddProperty(record, "ElementName", deviceId);
        records.push_back(record);
    }
    return records;
}

}  // namespace strata_col
