// Volume enumeration, mount points, drive roots and what each volume reports.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

using namespace strata_sim;
using simtest::InstalledMachine;

namespace {

const std::string kSystem = "\\\\?\\Volume{11111111-1111-1111-1111-111111111111}\\";
const std::string kData = "\\\\?\\Volume{22222222-2222-2222-2222-222222222222}\\";
const std::string kHidden = "\\\\?\\Volume{33333333-3333-3333-3333-333333333333}\\";
const std::string kInner = "\\\\?\\Volume{44444444-4444-4444-4444-444444444444}\\";
const std::string kOptical = "\\\\?\\Volume{55555555-5555-5555-5555-555555555555}\\";

// C:\ with data volume at C:\data\ (also E:\), a volume without a root
// holding another one in its folder mnt\, and an empty optical drive D:\.
Machine VolumeMachine() {
    Machine m;
    m.devices.push_back(simtest::Disk(0, "SCSI\\DISK\\0", 1LL << 34));
    Volume system = simtest::BasicVolume("11111111-1111-1111-1111-111111111111", "C:\\", 0, 1 << 20, 1LL << 30);
    system.label = "System";
    system.serialNumber = 0xA1B2C3D4;
    system.freeBytes = 1000;
    system.totalFreeBytes = 2000;
    system.quotaState = DISKQUOTA_STATE_ENFORCE;
    Volume data = simtest::BasicVolume("22222222-2222-2222-2222-222222222222", "E:\\", 0, 1LL << 31, 1LL << 30);
    data.mountFolders = {"C:\\data\\"};
    data.label = "Data";
    data.fileSystem = "FAT32";
    data.freeBytes = 77;
    Volume hidden = simtest::BasicVolume("33333333-3333-3333-3333-333333333333", "", 0, 1LL << 32, 1LL << 30);
    Volume inner = simtest::BasicVolume("44444444-4444-4444-4444-444444444444", "", 0, 1LL << 33, 1LL << 30);
    inner.mountFolders = {kHidden + "mnt\\"};
    Volume optical;
    optical.guidName = kOptical;
    optical.roots = {"D:\\"};
    optical.driveType = DRIVE_CDROM;
    optical.mediaPresent = false;
    m.volumes = {system, data, hidden, inner, optical};
    return m;
}

std::vector<std::string> AllVolumes() {
    std::vector<std::string> names;
    char name[MAX_PATH];
    HANDLE search = FindFirstVolumeA(name, MAX_PATH);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(name);
    } while (FindNextVolumeA(search, name, MAX_PATH));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindVolumeClose(search));
    return names;
}

std::vector<std::string> MountPoints(const std::string& volume, DWORD* firstError = nullptr) {
    std::vector<std::string> points;
    char point[MAX_PATH];
    HANDLE search = FindFirstVolumeMountPointA(volume.c_str(), point, MAX_PATH);
    if (search == INVALID_HANDLE_VALUE) {
        if (firstError) *firstError = GetLastError();
        return points;
    }
    do {
        points.push_back(point);
    } while (FindNextVolumeMountPointA(search, point, MAX_PATH));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindVolumeMountPointClose(search));
    return points;
}

std::string VolumeNameAt(const std::string& mountPoint, DWORD* error = nullptr) {
    char name[MAX_PATH] = "";
    if (!GetVolumeNameForVolumeMountPointA(mountPoint.c_str(), name, MAX_PATH)) {
        if (error) *error = GetLastError();
        return "";
    }
    return name;
}

}  // namespace

TEST(Volumes, EnumerationFollowsTheDescription) {
    InstalledMachine machine(VolumeMachine());
    EXPECT_EQ(AllVolumes(), (std::vector<std::string>{kSystem, kData, kHidden, kInner, kOptical}));
    char tiny[10];
    EXPECT_EQ(FindFirstVolumeA(tiny, sizeof(tiny)), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(OpenHandleCount(), 0);

    ResetMachine();
    char name[MAX_PATH];
    EXPECT_EQ(FindFirstVolumeA(name, MAX_PATH), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
}

TEST(Volumes, MountFoldersAreListedOnTheVolumeThatHoldsThem) {
    InstalledMachine machine(VolumeMachine());
    EXPECT_EQ(MountPoints(kSystem), std::vector<std::string>{"data\\"});
    EXPECT_EQ(MountPoints("C:\\"), std::vector<std::string>{"data\\"});
    EXPECT_EQ(MountPoints(kHidden), std::vector<std::string>{"mnt\\"});
    DWORD error = 0;
    EXPECT_TRUE(MountPoints(kData, &error).empty());
    EXPECT_EQ(error, DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(MountPoints(kOptical, &error).empty());
    EXPECT_EQ(error, DWORD(ERROR_NOT_READY));
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(Volumes, VolumeNamesOfMountPoints) {
    InstalledMachine machine(VolumeMachine());
    EXPECT_EQ(VolumeNameAt("C:\\"), kSystem);
    EXPECT_EQ(VolumeNameAt("c:\\DATA\\"), kData);
    EXPECT_EQ(VolumeNameAt("E:\\"), kData);
    EXPECT_EQ(VolumeNameAt("D:\\"), kOptical);  // known without a disc
    DWORD error = 0;
    VolumeNameAt("C:", &error);
    EXPECT_EQ(error, DWORD(ERROR_INVALID_NAME));
    VolumeNameAt("C:\\WINDOWS\\", &error);
    EXPECT_EQ(error, DWORD(ERROR_NOT_A_REPARSE_POINT));
    VolumeNameAt("Q:\\", &error);
    EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(Volumes, DriveStringsInLetterOrderAndTheSizeNeeded) {
    InstalledMachine machine(VolumeMachine());
    char buffer[256];
    const DWORD count = GetLogicalDriveStringsA(sizeof(buffer), buffer);
    ASSERT_EQ(count, 12u);
    EXPECT_EQ(std::string(buffer, count), std::string("C:\\\0D:\\\0E:\\\0", 12));
    EXPECT_EQ(buffer[12], '\0');
    EXPECT_EQ(GetLogicalDriveStringsA(12, buffer), 13u);

    // More roots than letters, so that the list needs more than 256 characters.
    Machine many;
    for (int i = 0; i < 70; ++i) {
        Volume v;
        v.roots = {"Z" + std::to_string(10 + i) + ":\\"};
        many.volumes.push_back(v);
    }
    SetMachine(many);
    const DWORD needed = GetLogicalDriveStringsA(sizeof(buffer), buffer);
    EXPECT_EQ(needed, 70u * 6 + 1);  // "Z10:\\" and its terminator, 70 times, and the final one
    std::vector<char> big(needed);
    EXPECT_EQ(GetLogicalDriveStringsA(needed, big.data()), needed - 1);
    EXPECT_EQ(std::string(big.data()), "Z10:\\");
}

TEST(Volumes, DriveTypes) {
    InstalledMachine machine(VolumeMachine());
    EXPECT_EQ(GetDriveTypeA("C:\\"), UINT(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("D:\\"), UINT(DRIVE_CDROM));
    EXPECT_EQ(GetDriveTypeA("C:\\data\\"), UINT(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA(kInner.c_str()), UINT(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeA("C:\\WINDOWS\\"), UINT(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeA(nullptr), UINT(DRIVE_FIXED));
}

TEST(Volumes, VolumeInformation) {
    InstalledMachine machine(VolumeMachine());
    char label[256], fs[256];
    DWORD serial = 0, component = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationA("C:\\", label, 256, &serial, &component, &flags, fs, 256));
    EXPECT_STREQ(label, "System");
    EXPECT_STREQ(fs, "NTFS");
    EXPECT_EQ(serial, 0xA1B2C3D4u);
    EXPECT_EQ(component, 255u);
    ASSERT_TRUE(GetVolumeInformationA("C:\\data\\", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_STREQ(label, "Data");
    EXPECT_STREQ(fs, "FAT32");

    EXPECT_FALSE(GetVolumeInformationA("D:\\", label, 256, &serial, &component, &flags, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "The device is not ready.\r\n");
    EXPECT_FALSE(GetVolumeInformationA("C:", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
    EXPECT_FALSE(GetVolumeInformationA("C:\\WINDOWS\\", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DIR_NOT_ROOT));
    EXPECT_FALSE(GetVolumeInformationA("C:\\", label, 6, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_LENGTH));

    Machine raw = VolumeMachine();
    raw.volumes[0].fileSystem.clear();
    SetMachine(raw);
    EXPECT_FALSE(GetVolumeInformationA("C:\\", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_UNRECOGNIZED_VOLUME));
}

TEST(Volumes, FreeSpaceOfRootsAndFolders) {
    InstalledMachine machine(VolumeMachine());
    ULARGE_INTEGER available, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &totalFree));
    EXPECT_EQ(available.QuadPart, 1000u);
    EXPECT_EQ(total.QuadPart, 1ULL << 30);  // the volume's length unless given
    EXPECT_EQ(totalFree.QuadPart, 2000u);
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\data\\photos", &available, &total, &totalFree));
    EXPECT_EQ(available.QuadPart, 77u);
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\WINDOWS", &available, nullptr, nullptr));
    EXPECT_EQ(available.QuadPart, 1000u);
    EXPECT_FALSE(GetDiskFreeSpaceExA("D:\\", &available, &total, &totalFree));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(GetDiskFreeSpaceExA("Q:\\", &available, &total, &totalFree));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Volumes, VolumePathsAndSystemFolders) {
    InstalledMachine machine(VolumeMachine());
    char path[MAX_PATH];
    ASSERT_TRUE(GetVolumePathNameA("C:\\WINDOWS\\system32", path, 19));
    EXPECT_STREQ(path, "C:\\");
    ASSERT_TRUE(GetVolumePathNameA("C:\\data\\photos\\x.jpg", path, MAX_PATH));
    EXPECT_STREQ(path, "C:\\data\\");
    ASSERT_TRUE(GetVolumePathNameA("C:\\data", path, MAX_PATH));
    EXPECT_STREQ(path, "C:\\data\\");
    EXPECT_FALSE(GetVolumePathNameA("C:\\data\\x", path, 8));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));

    char small[5];
    EXPECT_EQ(GetSystemDirectoryA(small, sizeof(small)), 20u);  // C:\WINDOWS\system32 and its terminator
    char folder[MAX_PATH];
    EXPECT_EQ(GetSystemDirectoryA(folder, MAX_PATH), 19u);
    EXPECT_STREQ(folder, "C:\\WINDOWS\\system32");
    EXPECT_EQ(GetWindowsDirectoryA(small, sizeof(small)), 11u);
    EXPECT_EQ(GetWindowsDirectoryA(folder, MAX_PATH), 10u);
    EXPECT_STREQ(folder, "C:\\WINDOWS");
}

TEST(Volumes, ErrorModeIsProcessWide) {
    const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(CurrentErrorMode(), UINT(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(SetErrorMode(0), UINT(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(CurrentErrorMode(), 0u);
    SetErrorMode(before);
}
