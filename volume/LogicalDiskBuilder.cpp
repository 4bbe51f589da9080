// The record of one ORVA_LogicalDisk.
#include "volume/StorageVolEnum.h"

#include "collect/TextConversions.h"
#include "platform/win32.h"
#include "collect/BufferText.h"

#include <exception>

namespace strata_col {

namespace {

const DWORD kVolumeTextLength = 256;
const UINT kDriveTypeCdrom = DRIVE_CDROM;

}  // namespace

PropertyMap StorageVolEnum::BuildLogicalDisk(const std::string& volumePath,
                                             DiskDatabaseMap& databases) {
    PropertyMap record;
    if (volumePath.empty()) return record;
    // A failure while describing one volume keeps what was gathered so far.
    try {
        const UINT driveType = GetDriveTypeA(volumePath.c_str());
        AddProperty(record, "DriveType", ToDecimalText(static_cast<std::uint32_t>(driveType)));
        AddProperty(record, "DeviceID",
               driveType == kDriveTypeCdrom ? volumePath + " (CD-Rom) " : volumePath);
        AddProperty(record, "ElementName", volumePath);
        // Every volume-level property is asked of the volume at the path: for
        // a mount folder, the mounted volume, not the one holding the folder.
        const VolumeAddress address = AddressOf(volumePath);

        char label[kVolumeTextLength] = {};
        char fileSystem[kVolumeTextLength] = {};
        DWORD serialNumber = 0;
        DWORD maxComponentLength = 0;
        DWORD fileSystemFlags = 0;
        const BOOL haveInformation = GetVolumeInformationA(
            address.rootPath.c_str(), label, kVolumeTextLength, &serialNumber, &maxComponentLength,
            &fileSystemFlags, fileSystem, kVolumeTextLength);
        const DWORD informationError = haveInformation ? 0 : GetLastError();
        const std::string systemPath = GetSystemVolumePath();
        const std::string bootPath = GetBootVolumePath();

        if (!haveInformation) {
            log->WriteLevel3("Unable to determine volume information.");
            log->WriteSystemError(informationError);
        } else {
            std::string marker;
            if (volumePath == systemPath) {
                marker = "(System)";
            } else if (volumePath == bootPath) {
                marker = "(Boot)";
            }
            AddProperty(record, "OtherIdentifyingInfo",
                   BufferText(label, sizeof label) + " " + marker + ",");
            AddProperty(record, "FileSystemName", TextCopy(BufferText(fileSystem, sizeof fileSystem)));
            AddProperty(record, "SerialNumber", ToDecimalText(static_cast<std::uint32_t>(serialNumber)));
            const PropertyMap space = GetVolumeSpace(volumePath, address);
            record.insert(space.begin(), space.end());
        }
        AddDynamicLayout(volumePath, address, databases, record);
    } catch (const std::exception&) {
    }
    return record;
}

// Layout and state from the dynamic-disk database. The database's TotalSpace
// goes in after the one measured from the volume, so it is the one set.
void StorageVolEnum::AddDynamicLayout(const std::string& volumePath, const VolumeAddress& address,
                                      const DiskDatabaseMap& databases, PropertyMap& record) {
    if (volumePath.find('\\') == std::string::npos) return;
    // A drive root's device is its drive (\\.\C:); a mount folder's, the
    // mounted volume's, or a path that does not open when the system could
    // not name that volume.
    const std::string devicePath = address.devicePath;
    const DynamicVolume found = FindDynamicVolume(devicePath, databases);
    const RecordMap& volume = found.volume;
    if (volume.empty()) {
        log->WriteLevel3("Volume layout and state information for " + devicePath + " not found");
        AddProperty(record, "VolumeLayout", "Unknown");
        AddProperty(record, "VolumeState", "Unknown");
        return;
    }
    RecordMap::const_iterator size = volume.find("Size");
    const std::uint64_t sectors = size == volume.end() ? 0 : HexTextToNumber(size->second);
    // The volume's size counts sectors of the drive it was found on; a size
    // beyond 64 bits of bytes is left out.
    std::uint64_t bytes = 0;
    if (found.sectors.ToBytes(sectors, bytes)) {
        AddProperty(record, "TotalSpace", ToDecimalText(static_cast<unsigned long long>(bytes)));
    } else {
        log->WriteLevel3("Volume record of " + devicePath + ": its Size of " +
                         ToDecimalText(static_cast<unsigned long long>(sectors)) +
                         " sectors passes 64 bits of bytes; TotalSpace left out.");
    }
    RecordMap::const_iterator layout = volume.find("Layout");
    AddProperty(record, "VolumeLayout", layout == volume.end() ? std::string() : layout->second);
    RecordMap::const_iterator state = volume.find("VolumeState");
    AddProperty(record, "VolumeState", state == volume.end() ? std::string() : state->second);
}

}  // namespace strata_col
