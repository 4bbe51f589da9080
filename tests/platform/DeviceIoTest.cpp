// Storage control codes on device and volume handles: replies at the byte
// offsets the plug-in reads, buffer-size rules and the errors of Windows.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <cstring>

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

// Each answer's success, error and byte count, buffer-size rules included.
TEST(DeviceIo, AnswersAndErrorsByHandleCodeAndBufferSize) {
    InstalledMachine machine(ProbeMachine());
    const DWORD kOk = ERROR_SUCCESS;
    const struct {
        const char* path;
        DWORD code;
        std::size_t size;
        DWORD error;
        DWORD returned;
    } cases[] = {
        {"\\\\.\\PHYSICALDRIVE1", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, kOk, 12},
        {"\\\\.\\PHYSICALDRIVE1", IOCTL_STORAGE_GET_DEVICE_NUMBER, 11, ERROR_INSUFFICIENT_BUFFER, 0},
        {"\\\\.\\E:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, ERROR_INVALID_FUNCTION, 0},  // spans two disks
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 32},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 39, ERROR_INSUFFICIENT_BUFFER, 0},
        {"\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 2 * 32},
        {"\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 40, ERROR_MORE_DATA, 40},  // one of two entries
        {"\\\\.\\TAPE0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, ERROR_INVALID_FUNCTION, 0},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, kOk, 24},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_CDROM_GET_DRIVE_GEOMETRY, 24, ERROR_INVALID_FUNCTION, 0},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_LENGTH_INFO, 8, kOk, 8},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 4 * 144, kOk, 48 + 4 * 144},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 4 * 144 - 1, ERROR_INSUFFICIENT_BUFFER, 0},
        {"\\\\.\\PHYSICALDRIVE0", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_INVALID_FUNCTION, 0},
        {"\\\\.\\PHYSICALDRIVE0", 0x12345678, 32, ERROR_INVALID_FUNCTION, 0},
        {"\\\\.\\C:", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24, kOk, 24},  // passed down to its disk
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_MORE_DATA, 32},
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 3 * 32 + 4, kOk, 8 + 3 * 24},
        {"\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 31, ERROR_INSUFFICIENT_BUFFER, 0},
        // An optical drive without a disc opens but has no medium, nor has its volume.
        {"\\\\.\\CDROM0", IOCTL_CDROM_GET_DRIVE_GEOMETRY, 4096, ERROR_NOT_READY, 0},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 4096, ERROR_NOT_READY, 0},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_LENGTH_INFO, 4096, ERROR_NOT_READY, 0},
        {"\\\\.\\CDROM0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 4096, ERROR_NOT_READY, 0},
        {"\\\\.\\CDROM0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648, kOk, 8 + 32},
        {"\\\\.\\D:", IOCTL_DISK_GET_LENGTH_INFO, 8, ERROR_NOT_READY, 0},
        {"\\\\.\\D:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32, ERROR_INVALID_FUNCTION, 0},
        {"\\\\.\\D:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12, kOk, 12},
    };
    for (const auto& c : cases) {
        HANDLE h = OpenForProbe(c.path);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.path;
        const Answer a = Ask(h, c.code, c.size);
        EXPECT_EQ(a.result, c.error == kOk) << c.path << " " << std::hex << c.code << " " << c.size;
        if (c.error != kOk) {
            EXPECT_EQ(a.error, c.error) << c.path << " " << std::hex << c.code << " " << c.size;
        }
        EXPECT_EQ(a.returned, c.returned) << c.path << " " << std::hex << c.code << " " << c.size;
        CloseHandle(h);
        EXPECT_FALSE(Ask(h, c.code, c.size).result);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(OpenHandleCount(), 0);
}

// The fields at the byte offsets of the Windows structures.
TEST(DeviceIo, RepliesHoldTheirFieldsAtTheWindowsOffsets) {
    InstalledMachine machine(ProbeMachine());
    const auto reply = [](const char* path, DWORD code, std::size_t size) {
        HANDLE h = OpenForProbe(path);
        const Answer a = Ask(h, code, size);
        CloseHandle(h);
        return a.bytes;
    };
    std::vector<unsigned char> b = reply("\\\\.\\PHYSICALDRIVE1", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_EQ(U32At(b, 0), DWORD(FILE_DEVICE_DISK));
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(U32At(b, 8), 0u);  // the whole disk
    b = reply("\\\\.\\C:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_EQ(U32At(b, 4), 0u);
    EXPECT_EQ(U32At(b, 8), 1u);  // found in the disk's layout by the extent's offset
    b = reply("\\\\.\\D:", IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_EQ(U32At(b, 0), DWORD(FILE_DEVICE_CD_ROM));
    EXPECT_EQ(static_cast<std::int32_t>(U32At(b, 8)), -1);

    b = reply("\\\\.\\PHYSICALDRIVE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648);
    EXPECT_EQ(U32At(b, 0), DWORD(FILE_DEVICE_DISK));
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(U32At(b, 8 + 8), DWORD(FixedMedia));  // DiskInfo.MediaType
    EXPECT_EQ(U32At(b, 8 + 20), 512u);              // DiskInfo.BytesPerSector
    b = reply("\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 40);  // too small: the full count all the same
    EXPECT_EQ(U32At(b, 0), DWORD(FILE_DEVICE_TAPE));
    EXPECT_EQ(U32At(b, 4), 2u);
    EXPECT_EQ(U32At(b, 8 + 0), DWORD(LTO_Ultrium));  // TapeInfo.MediaType
    EXPECT_EQ(U32At(reply("\\\\.\\TAPE0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648), 8 + 32), DWORD(DLT));
    b = reply("\\\\.\\CDROM0", IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648);
    EXPECT_EQ(U32At(b, 0), DWORD(FILE_DEVICE_CD_ROM));
    EXPECT_EQ(U32At(b, 8 + 8), DWORD(CD_ROM));
    EXPECT_EQ(U32At(b, 8 + 28) & 0x80000000u, 0u);  // not currently mounted

    b = reply("\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_GEOMETRY, 24);
    EXPECT_EQ(I64At(b, 0), 64 * kMiB / (255 * 63 * 512));
    EXPECT_EQ(U32At(b, 8), DWORD(FixedMedia));
    EXPECT_EQ(U32At(b, 12), 255u);
    EXPECT_EQ(U32At(b, 16), 63u);
    EXPECT_EQ(U32At(b, 20), 512u);
    EXPECT_EQ(I64At(reply("\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_LENGTH_INFO, 8), 0), 64 * kMiB);
    EXPECT_EQ(I64At(reply("\\\\.\\C:", IOCTL_DISK_GET_LENGTH_INFO, 8), 0), 31 * kMiB);  // the volume's

    b = reply("\\\\.\\PHYSICALDRIVE0", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 4 * 144);
    EXPECT_EQ(U32At(b, 0), DWORD(PARTITION_STYLE_MBR));
    EXPECT_EQ(U32At(b, 4), 4u);
    EXPECT_EQ(U32At(b, 8), 0x1234ABCDu);  // Mbr.Signature
    const std::size_t second = 48 + 144;
    EXPECT_EQ(U32At(b, second + 0), DWORD(PARTITION_STYLE_MBR));
    EXPECT_EQ(I64At(b, second + 8), 32 * kMiB);   // StartingOffset
    EXPECT_EQ(I64At(b, second + 16), 31 * kMiB);  // PartitionLength
    EXPECT_EQ(U32At(b, second + 24), 2u);         // PartitionNumber
    EXPECT_EQ(b[second + 32], 0x42);              // Mbr.PartitionType
    EXPECT_EQ(b[second + 33], 0);                 // BootIndicator
    EXPECT_EQ(b[second + 34], 0);                 // RecognizedPartition: LDM is not
    EXPECT_EQ(b[48 + 32], 0x07);
    EXPECT_EQ(b[48 + 33], 1);
    EXPECT_EQ(b[48 + 34], 1);                           // IFS is recognised
    EXPECT_EQ(U32At(b, 48 + 36), DWORD(kMiB / 512));    // HiddenSectors
    b = reply("\\\\.\\PHYSICALDRIVE1", IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 40960);  // no image: reads as zeros
    EXPECT_EQ(U32At(b, 0), DWORD(PARTITION_STYLE_RAW));
    EXPECT_EQ(U32At(b, 4), 0u);

    EXPECT_EQ(U32At(reply("\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32), 0), 3u);  // how many there are
    // DISK_EXTENT: DiskNumber at 0, StartingOffset at 8, ExtentLength at 16; 24 bytes each after 8.
    b = reply("\\\\.\\E:", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 3 * 32 + 4);
    EXPECT_EQ(U32At(b, 8 + 24), 1u);
    EXPECT_EQ(I64At(b, 8 + 24 + 8), kMiB);
    EXPECT_EQ(I64At(b, 8 + 24 + 16), 16 * kMiB);
    EXPECT_EQ(I64At(b, 8 + 48 + 8), 20 * kMiB);
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
