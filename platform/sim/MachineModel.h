// The simulated Windows machine as data: what a description (JSON) or a test
// builds and installs with strata_sim::SetMachine.
//
// Optional fields are filled from the others when the machine is installed
// (see platform/sim/README.md for every default).
#ifndef STRATA_PLATFORM_SIM_MACHINEMODEL_H
#define STRATA_PLATFORM_SIM_MACHINEMODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace strata_sim {

// The four storage device-interface classes.
enum class InterfaceClass { Disk, CdRom, Tape, Floppy };

struct Geometry {
    std::optional<std::uint32_t> mediaType;  // MEDIA_TYPE value
    std::optional<std::uint32_t> bytesPerSector;  // 512; 2048 for optical drives
    std::optional<std::int64_t> cylinders;
    std::optional<std::uint32_t> tracksPerCylinder;
    std::optional<std::uint32_t> sectorsPerTrack;
};

// One entry of IOCTL_DISK_GET_DRIVE_LAYOUT_EX, reported as given.
struct PartitionEntry {
    std::int64_t startingOffset = 0;
    std::int64_t length = 0;
    std::uint32_t number = 0;
    // MBR entries
    std::uint8_t mbrType = 0;
    bool bootIndicator = false;
    std::optional<bool> recognized;              // from mbrType when absent
    std::optional<std::uint32_t> hiddenSectors;  // startingOffset / sector size when absent
    // GPT entries
    GUID gptType = {};
    GUID gptId = {};
    std::uint64_t gptAttributes = 0;
    std::string gptName;  // ASCII; widened to UTF-16
};

struct DriveLayout {
    PARTITION_STYLE style = PARTITION_STYLE_MBR;
    std::uint32_t mbrSignature = 0;
    GUID gptDiskId = {};
    std::int64_t gptStartingUsableOffset = 0;
    std::int64_t gptUsableLength = 0;
    std::uint32_t gptMaxPartitionCount = 128;
    std::vector<PartitionEntry> partitions;
};

struct Device {
    InterfaceClass interfaceClass = InterfaceClass::Disk;
    std::string instanceId;
    std::string devicePath;  // interface path; made from instanceId when empty
    bool hasInterface = true;
    bool present = true;
    std::uint32_t deviceNumber = 0;
    std::optional<std::uint32_t> deviceType;              // DEVICE_TYPE, from the class
    std::optional<std::vector<std::uint32_t>> mediaTypes;  // STORAGE_MEDIA_TYPE / MEDIA_TYPE
    bool mediaPresent = true;
    Geometry geometry;
    std::optional<std::int64_t> length;  // bytes; the image's size when absent
    std::string image;                   // backing image file, opened read-only
    std::optional<DriveLayout> layout;   // decoded from the image when absent
    // How the media-types and layout replies fail when the buffer holds only
    // some entries: ERROR_MORE_DATA (header and the entries that fit) or
    // ERROR_INSUFFICIENT_BUFFER (nothing). Absent: media types ERROR_MORE_DATA,
    // layout ERROR_INSUFFICIENT_BUFFER.
    std::optional<std::uint32_t> shortBufferError;
};

struct DiskExtentDescription {
    std::uint32_t diskNumber = 0;
    std::int64_t startingOffset = 0;
    std::int64_t length = 0;
};

struct Volume {
    std::string guidName;                   // \\?\Volume{...}\ ; made up when empty
    std::vector<std::string> roots;         // C:\ ...
    std::vector<std::string> mountFolders;  // C:\data\ : mounted in folder data\ of C:\ .
    std::uint32_t driveType = DRIVE_FIXED;
    std::string label;
    std::string fileSystem;  // empty: no recognised file system
    std::uint32_t serialNumber = 0;
    std::uint32_t maxComponentLength = 255;
    std::optional<std::uint32_t> fileSystemFlags;
    std::uint64_t freeBytes = 0;                     // available to the caller
    std::optional<std::uint64_t> totalBytes;         // the length when absent
    std::optional<std::uint64_t> totalFreeBytes;     // freeBytes when absent
    std::uint32_t quotaState = DISKQUOTA_STATE_DISABLED;
    std::optional<std::int64_t> length;              // sum of the extents when absent
    std::optional<bool> mediaPresent;                // from its device when absent
    std::vector<DiskExtentDescription> extents;
    // Without extents: true answers the extents request with a count of 0
    // (as Wine does for its drives), false fails it with ERROR_INVALID_FUNCTION.
    bool emptyExtents = false;
    std::optional<std::uint32_t> deviceType;         // for IOCTL_STORAGE_GET_DEVICE_NUMBER
    std::optional<std::uint32_t> deviceNumber;       // the extents' disk when absent
    std::optional<std::int32_t> partitionNumber;     // found in the disk's layout when absent
    // The extents reply's failure for a buffer that holds only some extents,
    // as for a device; ERROR_MORE_DATA when absent.
    std::optional<std::uint32_t> shortBufferError;
};

// A call made to fail. Empty target: every object; otherwise any name of the
// object the call works on (device path, instance ID, \\.\PHYSICALDRIVEn,
// volume GUID name, drive root, mount folder, or the path passed in).
struct Failure {
    std::string call;                  // function name, e.g. "DeviceIoControl"
    std::uint32_t controlCode = 0;     // DeviceIoControl only; 0 = any code
    std::string target;
    std::uint32_t error = ERROR_GEN_FAILURE;  // Win32 code; COM calls return it as an HRESULT
    std::uint32_t nth = 0;             // 0 = every matching call; n = only the n-th one
    std::int64_t index = -1;           // SetupDiEnum* only: the member index; -1 = any
};

struct Machine {
    std::string name = "STRATA-SIM";
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::vector<Device> devices;
    std::vector<Volume> volumes;
    std::vector<Failure> failures;
    // False: the caller has no write rights on the volumes, and a disk-quota
    // control object asked for read/write access refuses to initialise.
    bool quotaWriteAccess = true;
    // True: the host put the query thread in COM's multithreaded apartment
    // before the query, so CoInitialize (a single-threaded apartment) answers
    // RPC_E_CHANGED_MODE while COM objects can still be created.
    bool comMultithreaded = false;
};

}  // namespace strata_sim

#endif
