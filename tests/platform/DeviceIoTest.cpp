// Storage control codes on device and volume handles: replies at the byte
// offsets the plug-in reads, buffer-size rules and the errors of Windows.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <sstream>

using namespace strata_sim;
using simtest::InstalledMachine;
using simtest::I64At;
using simtest::OpenForProbe;
using simtest::U32At;
using simtest::kMiB;
using simtest::ProbeMachine;

namespace {

struct Answer {
    BOOL result;
    DWORD error;
    DWORD returned;
    std::vector<unsigned char> bytes;
};

Answer Ask(HANDLE h, DWORD code, std::size_t size) {
    Answer a;
    a.bytes.assign(size, 0xCC);
    a.returned = 0xFFFF;
    SetLastError(0);
    a.result = DeviceIoControl(h, code, nullptr, 0, size ? a.bytes.data() : nullptr, static_cast<DWORD>(size),
                               &a.returned, nullptr);
    a.error = GetLastError();
    return a;
}

}  // namespace

// A reply field: its byte offset in the Windows structure, width and value.
struct Field {
    std::size_t at;
    int width;
    std::int64_t value;
};

// Each answer's success, error and byte count, buffer-size rules included,
// and its fields at the byte offsets of the Windows structures.
TEST(DeviceIo, AnswersErrorsAndFieldsByHandleCodeAndBufferSize) {
    InstalledMachine machine(ProbeMachine());
    const DWORD kOk = ERROR_SUCCESS;
    const std::int64_t kCylinders = 64 * kMiB / (255 * 63 * 512);
    const std::size_t k2nd = 48 + 144;  // the layout's second entry
    const struct {
        const char* path;
        DWORD code;
        std::size_t size;
        DWORD error;
        DWORD returned;
        std::vector<Field> fields;
    } cases[] = {
        // STORAGE_DEVICE_NUMBER: partition 0 is the whole disk; a volume's is found by its extent's offset.
        {"\\\\.\\PHYSICALDRIVE1", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, kOk, 12,
         {{0, 4, FILE_DEVICE_DISK}, {4, 4, 1}, {8, 4, 0}}},
        {"\\\\.\\C:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, kOk, 12, {{4, 4, 0}, {8, 4, 1}}},
        {"\\\\.\\D:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, kOk, 12, {{0, 4, FILE_DEVICE_CD_ROM}, {8, 4, 0xFFFFFFFF}}},
        {"\\\\.\\PHYSICALDRIVE1", IOCTL_STORAGE_GET_DEVICE_NUMBER, 11, ERROR_INSUFFICIENT_BUFFER, 0, {}},
        {"\\\\.\\E:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, ERROR_INVALID_FUNCTION, 0, {}},  // spans two disks
        // GET_MEDIA_TYPES: DeviceType, MediaInfoCount, then 32-byte DEVICE_MEDIA_INFO entries.
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 32,
         {{0, 4, FILE_DEVICE_DISK}, {4, 4, 1}, {8 + 8, 4, FixedMedia}, {8 + 20, 4, 512}}},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 39, ERROR_INSUFFICIENT_BUFFER, 0, {}},
        {"\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 2 * 32,
         {{0, 4, FILE_DEVICE_TAPE}, {4, 4, 2}, {8, 4, LTO_Ultrium}, {8 + 32, 4, DLT}}},
        // Room for one of two entries: the header with the full count, and more data.
        {"\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 40, ERROR_MORE_DATA, 40, {{4, 4, 2}, {8, 4, LTO_Ultrium}}},
        {"\\\\.\\TAPE0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, ERROR_INVALID_FUNCTION, 0, {}},
        // DISK_GEOMETRY and GET_LENGTH_INFORMATION; a volume's length is its own.
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, kOk, 24,
         {{0, 8, kCylinders}, {8, 4, FixedMedia}, {12, 4, 255}, {16, 4, 63}, {20, 4, 512}}},
        {"\\\\.\\C:", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, kOk, 24, {{0, 8, kCylinders}}},  // passed down to its disk
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_CDROM_GET_DRIVE_GEOMETRY, 24, ERROR_INVALID_FUNCTION, 0, {}},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_LENGTH_INFO, 8, kOk, 8, {{0, 8, 64 * kMiB}}},
        {"\\\\.\\C:", IOCTL_DISK_GET_LENGTH_INFO, 8, kOk, 8, {{0, 8, 31 * kMiB}}},
        // DRIVE_LAYOUT_INFORMATION_EX: a 48-byte header, then 144-byte entries.
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 4 * 144, kOk, 48 + 4 * 144,
         {{0, 4, PARTITION_STYLE_MBR}, {4, 4, 4}, {8, 4, 0x1234ABCD},
          {48 + 32, 1, 0x07}, {48 + 33, 1, 1}, {48 + 34, 1, 1},  // IFS is recognised
          {48 + 36, 4, kMiB / 512},                              // HiddenSectors
          {k2nd, 4, PARTITION_STYLE_MBR}, {k2nd + 8, 8, 32 * kMiB}, {k2nd + 16, 8, 31 * kMiB}, {k2nd + 24, 4, 2},
          {k2nd + 32, 1, 0x42}, {k2nd + 33, 1, 0}, {k2nd + 34, 1, 0}}},  // LDM is not recognised
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 4 * 144 - 1, ERROR_INSUFFICIENT_BUFFER, 0, {}},
        {"\\\\.\\PHYSICALDRIVE1", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 40960, kOk, 48,  // no image: reads as zeros
         {{0, 4, PARTITION_STYLE_RAW}, {4, 4, 0}}},
        // VOLUME_DISK_EXTENTS: the count, then DiskNumber, StartingOffset and ExtentLength, 24 bytes each after 8.
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_MORE_DATA, 32, {{0, 4, 3}}},
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 3 * 32 + 4, kOk, 8 + 3 * 24,
         {{8 + 24, 4, 1}, {8 + 24 + 8, 8, kMiB}, {8 + 24 + 16, 8, 16 * kMiB}, {8 + 48 + 8, 8, 20 * kMiB}}},
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 31, ERROR_INSUFFICIENT_BUFFER, 0, {}},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_INVALID_FUNCTION, 0, {}},
        {"\\\\.\\PHYSICALDRIVE0", 0x12345678, 32, ERROR_INVALID_FUNCTION, 0, {}},
        // An optical drive without a disc opens but has no medium, nor has its volume.
        {"\\\\.\\CDROM0", IOCTL_CDROM_GET_DRIVE_GEOMETRY, 4096, ERROR_NOT_READY, 0, {}},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 4096, ERROR_NOT_READY, 0, {}},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_LENGTH_INFO, 4096, ERROR_NOT_READY, 0, {}},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 4096, ERROR_NOT_READY, 0, {}},
        {"\\\\.\\CDROM0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 32,  // read-only, not mounted
         {{0, 4, FILE_DEVICE_CD_ROM}, {8 + 8, 4, CD_ROM}, {8 + 28, 4, 0x00000004}}},
        {"\\\\.\\D:", IOCTL_DISK_GET_LENGTH_INFO, 8, ERROR_NOT_READY, 0, {}},
        {"\\\\.\\D:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_INVALID_FUNCTION, 0, {}},
    };
    for (const auto& c : cases) {
        std::ostringstream what;
        what << c.path << " " << std::hex << c.code << " " << std::dec << c.size;
        HANDLE h = OpenForProbe(c.path);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << what.str();
        const Answer a = Ask(h, c.code, c.size);
        EXPECT_EQ(a.result, c.error == kOk) << what.str();
        EXPECT_EQ(a.result ? kOk : a.error, c.error) << what.str();
        EXPECT_EQ(a.returned, c.returned) << what.str();
        for (const Field& f : c.fields) {
            const std::int64_t value = f.width == 1 ? a.bytes.at(f.at) : f.width == 4 ? U32At(a.bytes, f.at) : I64At(a.bytes, f.at);
            EXPECT_EQ(value, f.value) << what.str() << " at " << f.at;
        }
        CloseHandle(h);
        EXPECT_FALSE(Ask(h, c.code, c.size).result);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }
    // A length without its buffer faults; a synchronous request needs its count.
    HANDLE h = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    DISK_GEOMETRY geometry;
    DWORD returned = 0;
    const DWORD code = IOCTL_DISK_GET_DRIVE_GEOMETRY;
    EXPECT_FALSE(DeviceIoControl(h, code, nullptr, 4, &geometry, sizeof geometry, &returned, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOACCESS));
    EXPECT_FALSE(DeviceIoControl(h, code, nullptr, 0, nullptr, sizeof geometry, &returned, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOACCESS));
    EXPECT_FALSE(DeviceIoControl(h, code, nullptr, 0, &geometry, sizeof geometry, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    CloseHandle(h);
    EXPECT_EQ(OpenHandleCount(), 0);
}

// Wine answers a volume without extents with a count of 0; Windows fails it.
// Drivers differ in the short-buffer error; a failed buffered request returns nothing.
TEST(DeviceIo, EmptyExtentsAndTheShortBufferErrorAreChosenPerDeviceAndVolume) {
    Machine m = ProbeMachine();
    m.devices[0].shortBufferError = ERROR_MORE_DATA;
    m.volumes[1].shortBufferError = ERROR_INSUFFICIENT_BUFFER;
    m.volumes[0].extents.clear();
    m.volumes[0].emptyExtents = true;
    m.volumes[0].length = 31 * kMiB;
    InstalledMachine machine(m);
    const auto ask = [](const char* path, DWORD code, std::size_t size) {
        HANDLE h = OpenForProbe(path);
        const Answer a = Ask(h, code, size);
        CloseHandle(h);
        return a;
    };
    Answer a = ask("\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 144);
    EXPECT_EQ(a.error, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(a.returned, 48u + 144u);  // the header, with all 4 entries counted, and 1 entry
    EXPECT_EQ(U32At(a.bytes, 4), 4u);
    a = ask("\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32);
    EXPECT_EQ(a.error, DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(a.returned, 0u);
    EXPECT_EQ(U32At(a.bytes, 0), 0xCCCCCCCCu);
    a = ask("\\\\.\\C:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 8u);
    EXPECT_EQ(U32At(a.bytes, 0), 0u);
}
