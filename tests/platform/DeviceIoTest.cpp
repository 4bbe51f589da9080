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

const std::int64_t kMiB = 1 << 20;

Machine ProbeMachine() {
    Machine m;
    Device disk = simtest::Disk(0, "SCSI\\DISK\\0", 64 * kMiB);
    DriveLayout layout;
    layout.mbrSignature = 0x1234ABCD;
    PartitionEntry first;
    first.startingOffset = kMiB;
    first.length = 31 * kMiB;
    first.number = 1;
    first.mbrType = 0x07;
    first.bootIndicator = true;
    PartitionEntry second = first;
    second.startingOffset = 32 * kMiB;
    second.number = 2;
    second.mbrType = 0x42;
    second.bootIndicator = false;
    layout.partitions = {first, second, PartitionEntry(), PartitionEntry()};
    disk.layout = layout;
    m.devices.push_back(disk);
    m.devices.push_back(simtest::Disk(1, "SCSI\\DISK\\1", 64 * kMiB));

    Device cd;
    cd.interfaceClass = InterfaceClass::CdRom;
    cd.instanceId = "IDE\\CDROM\\0";
    cd.mediaPresent = false;
    m.devices.push_back(cd);
    Device tape;
    tape.interfaceClass = InterfaceClass::Tape;
    tape.instanceId = "SCSI\\TAPE\\0";
    tape.mediaTypes = std::vector<std::uint32_t>{LTO_Ultrium, DLT};
    m.devices.push_back(tape);

    Volume c = simtest::BasicVolume("11111111-1111-1111-1111-111111111111", "C:\\", 0, kMiB, 31 * kMiB);
    Volume spanned = simtest::BasicVolume("22222222-2222-2222-2222-222222222222", "E:\\", 0, 32 * kMiB, 8 * kMiB);
    spanned.extents.push_back({1, kMiB, 16 * kMiB});
    spanned.extents.push_back({1, 20 * kMiB, 4 * kMiB});
    Volume d;
    d.guidName = "\\\\?\\Volume{33333333-3333-3333-3333-333333333333}\\";
    d.roots = {"D:\\"};
    d.driveType = DRIVE_CDROM;
    d.deviceNumber = 0;  // CDROM0: no disc, so the volume has none either
    m.volumes = {c, spanned, d};
    return m;
}

}  // namespace

TEST(DeviceIo, DeviceNumbersOfDrivesAndVolumes) {
    InstalledMachine machine(ProbeMachine());
    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE1");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    Answer a = Ask(disk, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 12u);
    EXPECT_EQ(U32At(a.bytes, 0), DWORD(FILE_DEVICE_DISK));
    EXPECT_EQ(U32At(a.bytes, 4), 1u);
    EXPECT_EQ(U32At(a.bytes, 8), 0u);  // the whole disk
    EXPECT_FALSE(Ask(disk, IOCTL_STORAGE_GET_DEVICE_NUMBER, 11).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    CloseHandle(disk);

    HANDLE c = OpenForProbe("\\\\.\\C:");
    a = Ask(c, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(U32At(a.bytes, 4), 0u);
    EXPECT_EQ(U32At(a.bytes, 8), 1u);  // found in the disk's layout by the extent's offset
    CloseHandle(c);

    HANDLE e = OpenForProbe("\\\\.\\E:");
    a = Ask(e, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.error, DWORD(ERROR_INVALID_FUNCTION));
    EXPECT_EQ(a.returned, 0u);
    CloseHandle(e);
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(DeviceIo, MediaTypesOfDisksAndTapesAndTheirBufferRules) {
    InstalledMachine machine(ProbeMachine());
    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    Answer a = Ask(disk, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 8u + 32u);
    EXPECT_EQ(U32At(a.bytes, 0), DWORD(FILE_DEVICE_DISK));
    EXPECT_EQ(U32At(a.bytes, 4), 1u);
    EXPECT_EQ(U32At(a.bytes, 8 + 8), DWORD(FixedMedia));  // DiskInfo.MediaType
    EXPECT_EQ(U32At(a.bytes, 8 + 20), 512u);              // DiskInfo.BytesPerSector
    EXPECT_FALSE(Ask(disk, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 39).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    CloseHandle(disk);

    HANDLE tape = OpenForProbe("\\\\.\\TAPE0");
    ASSERT_NE(tape, INVALID_HANDLE_VALUE);
    a = Ask(tape, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(U32At(a.bytes, 0), DWORD(FILE_DEVICE_TAPE));
    EXPECT_EQ(U32At(a.bytes, 4), 2u);
    EXPECT_EQ(U32At(a.bytes, 8 + 0), DWORD(LTO_Ultrium));  // TapeInfo.MediaType
    EXPECT_EQ(U32At(a.bytes, 8 + 32 + 0), DWORD(DLT));
    // Room for one of two entries: the header with the full count, and more data.
    a = Ask(tape, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 40);
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.error, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(U32At(a.bytes, 4), 2u);
    EXPECT_EQ(a.returned, 40u);
    // Tapes have no disk geometry.
    EXPECT_FALSE(Ask(tape, IOCTL_DISK_GET_DRIVE_GEOMETRY, 24).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    CloseHandle(tape);
}

TEST(DeviceIo, GeometryAndLength) {
    InstalledMachine machine(ProbeMachine());
    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    Answer g = Ask(disk, IOCTL_DISK_GET_DRIVE_GEOMETRY, 24);
    ASSERT_EQ(g.result, 1);
    EXPECT_EQ(g.returned, 24u);
    EXPECT_EQ(I64At(g.bytes, 0), 64 * kMiB / (255 * 63 * 512));
    EXPECT_EQ(U32At(g.bytes, 8), DWORD(FixedMedia));
    EXPECT_EQ(U32At(g.bytes, 12), 255u);
    EXPECT_EQ(U32At(g.bytes, 16), 63u);
    EXPECT_EQ(U32At(g.bytes, 20), 512u);
    EXPECT_FALSE(Ask(disk, IOCTL_CDROM_GET_DRIVE_GEOMETRY, 24).result);  // not an optical drive
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    Answer len = Ask(disk, IOCTL_DISK_GET_LENGTH_INFO, 8);
    ASSERT_EQ(len.result, 1);
    EXPECT_EQ(I64At(len.bytes, 0), 64 * kMiB);
    CloseHandle(disk);

    HANDLE c = OpenForProbe("\\\\.\\C:");
    len = Ask(c, IOCTL_DISK_GET_LENGTH_INFO, 8);
    ASSERT_EQ(len.result, 1);
    EXPECT_EQ(I64At(len.bytes, 0), 31 * kMiB);  // the volume's, not the disk's
    EXPECT_EQ(Ask(c, IOCTL_DISK_GET_DRIVE_GEOMETRY, 24).result, 1);  // passed down to its disk
    CloseHandle(c);
}

TEST(DeviceIo, AnEmptyOpticalDriveOpensButHasNoMedium) {
    InstalledMachine machine(ProbeMachine());
    HANDLE cd = OpenForProbe("\\\\.\\CDROM0");
    ASSERT_NE(cd, INVALID_HANDLE_VALUE);
    for (DWORD code : {DWORD(IOCTL_CDROM_GET_DRIVE_GEOMETRY), DWORD(IOCTL_DISK_GET_DRIVE_GEOMETRY),
                       DWORD(IOCTL_DISK_GET_LENGTH_INFO), DWORD(IOCTL_DISK_GET_DRIVE_LAYOUT_EX)}) {
        Answer a = Ask(cd, code, 4096);
        EXPECT_FALSE(a.result) << code;
        EXPECT_EQ(a.error, DWORD(ERROR_NOT_READY)) << code;
    }
    Answer types = Ask(cd, IOCTL_STORAGE_GET_MEDIA_TYPES_EX, 648);
    ASSERT_EQ(types.result, 1);
    EXPECT_EQ(U32At(types.bytes, 0), DWORD(FILE_DEVICE_CD_ROM));
    EXPECT_EQ(U32At(types.bytes, 8 + 8), DWORD(CD_ROM));
    EXPECT_EQ(U32At(types.bytes, 8 + 28) & 0x80000000u, 0u);  // not currently mounted
    CloseHandle(cd);

    HANDLE d = OpenForProbe("\\\\.\\D:");
    ASSERT_NE(d, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Ask(d, IOCTL_DISK_GET_LENGTH_INFO, 8).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(Ask(d, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    Answer number = Ask(d, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12);
    ASSERT_EQ(number.result, 1);
    EXPECT_EQ(U32At(number.bytes, 0), DWORD(FILE_DEVICE_CD_ROM));
    EXPECT_EQ(static_cast<std::int32_t>(U32At(number.bytes, 8)), -1);
    CloseHandle(d);
}

TEST(DeviceIo, DriveLayoutEntriesAtTheirWindowsOffsets) {
    InstalledMachine machine(ProbeMachine());
    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    const std::size_t size = 48 + 4 * 144;
    Answer a = Ask(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, size);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, size);
    EXPECT_EQ(U32At(a.bytes, 0), DWORD(PARTITION_STYLE_MBR));
    EXPECT_EQ(U32At(a.bytes, 4), 4u);
    EXPECT_EQ(U32At(a.bytes, 8), 0x1234ABCDu);  // Mbr.Signature
    const std::size_t second = 48 + 144;
    EXPECT_EQ(U32At(a.bytes, second + 0), DWORD(PARTITION_STYLE_MBR));
    EXPECT_EQ(I64At(a.bytes, second + 8), 32 * kMiB);   // StartingOffset
    EXPECT_EQ(I64At(a.bytes, second + 16), 31 * kMiB);  // PartitionLength
    EXPECT_EQ(U32At(a.bytes, second + 24), 2u);         // PartitionNumber
    EXPECT_EQ(a.bytes[second + 32], 0x42);              // Mbr.PartitionType
    EXPECT_EQ(a.bytes[second + 33], 0);                 // BootIndicator
    EXPECT_EQ(a.bytes[second + 34], 0);                 // RecognizedPartition: LDM is not
    EXPECT_EQ(a.bytes[48 + 32], 0x07);
    EXPECT_EQ(a.bytes[48 + 33], 1);
    EXPECT_EQ(a.bytes[48 + 34], 1);                     // IFS is recognised
    EXPECT_EQ(U32At(a.bytes, 48 + 36), DWORD(kMiB / 512));  // HiddenSectors

    Answer small = Ask(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, size - 1);
    EXPECT_FALSE(small.result);
    EXPECT_EQ(small.error, DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(small.returned, 0u);
    CloseHandle(disk);

    HANDLE blank = OpenForProbe("\\\\.\\PHYSICALDRIVE1");  // no image: reads as zeros
    a = Ask(blank, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 40960);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(U32At(a.bytes, 0), DWORD(PARTITION_STYLE_RAW));
    EXPECT_EQ(U32At(a.bytes, 4), 0u);
    CloseHandle(blank);
}

TEST(DeviceIo, VolumeDiskExtentsAndTheMoreDataAnswer) {
    InstalledMachine machine(ProbeMachine());
    HANDLE e = OpenForProbe("\\\\.\\E:");
    Answer a = Ask(e, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32);
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.error, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(U32At(a.bytes, 0), 3u);  // NumberOfDiskExtents tells how many there are
    a = Ask(e, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 3 * 32 + 4);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 8u + 3 * 24u);
    // DISK_EXTENT: DiskNumber at 0, StartingOffset at 8, ExtentLength at 16; 24 bytes each after 8.
    EXPECT_EQ(U32At(a.bytes, 8 + 24), 1u);
    EXPECT_EQ(I64At(a.bytes, 8 + 24 + 8), kMiB);
    EXPECT_EQ(I64At(a.bytes, 8 + 24 + 16), 16 * kMiB);
    EXPECT_EQ(I64At(a.bytes, 8 + 48 + 8), 20 * kMiB);
    EXPECT_FALSE(Ask(e, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 31).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    CloseHandle(e);

    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    EXPECT_FALSE(Ask(disk, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(Ask(disk, 0x12345678, 32).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    CloseHandle(disk);
    EXPECT_FALSE(Ask(disk, IOCTL_DISK_GET_LENGTH_INFO, 8).result);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// Wine answers a volume without extents with a count of 0; Windows fails it.
TEST(DeviceIo, AVolumeWithoutExtentsCanAnswerACountOfZero) {
    Machine m = ProbeMachine();
    m.volumes[1].extents.clear();
    m.volumes[1].length = kMiB;
    m.volumes[1].emptyExtents = true;
    InstalledMachine machine(m);
    HANDLE e = OpenForProbe("\\\\.\\E:");
    const Answer a = Ask(e, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32);
    ASSERT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 8u);
    EXPECT_EQ(U32At(a.bytes, 0), 0u);
    CloseHandle(e);
}

TEST(DeviceIo, TheShortBufferErrorIsChosenPerDeviceAndVolume) {
    Machine m = ProbeMachine();
    m.devices[0].shortBufferError = ERROR_MORE_DATA;
    m.volumes[1].shortBufferError = ERROR_INSUFFICIENT_BUFFER;
    InstalledMachine machine(m);
    HANDLE disk = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    const Answer layout = Ask(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, 48 + 144);
    EXPECT_EQ(layout.error, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(layout.returned, 48u + 144u);  // the header, with all 4 entries counted, and 1 entry
    EXPECT_EQ(U32At(layout.bytes, 4), 4u);
    CloseHandle(disk);
    // A buffered request that fails returns nothing, not even the count.
    HANDLE e = OpenForProbe("\\\\.\\E:");
    const Answer extents = Ask(e, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, 32);
    EXPECT_EQ(extents.error, DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(extents.returned, 0u);
    EXPECT_EQ(U32At(extents.bytes, 0), 0xCCCCCCCCu);
    CloseHandle(e);
}
