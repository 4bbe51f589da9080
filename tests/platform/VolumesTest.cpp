// Volume enumeration, mount points, drive roots and what each volume reports.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

using namespace strata_sim;
using simtest::InstalledMachine;

namespace {

const std::string kSystem = "\\\\?\\Volume{11111111-1111-1111-1111-111111111111}\\";
const std::string kData = "\\\\?\\Volume{22222222-2222-2222-2222-222222222222}\\";
const std::string kOptical = "\\\\?\\Volume{33333333-3333-3333-3333-333333333333}\\";
const std::string kHidden = "\\\\?\\Volume{55555555-5555-5555-5555-555555555555}\\";
const std::string kInner = "\\\\?\\Volume{66666666-6666-6666-6666-666666666666}\\";

// The shared machine with labels and space figures, and a volume without a
// root holding another one in its folder mnt\.
Machine VolumeMachine() {
    Machine m = simtest::ProbeMachine();
    m.volumes[0].label = "System";
    m.volumes[0].freeBytes = 1000;
    m.volumes[0].totalFreeBytes = 2000;
    m.volumes[1].label = "Data";
    m.volumes[1].freeBytes = 77;
    m.volumes.push_back(simtest::BasicVolume("55555555-5555-5555-5555-555555555555", "", 1, 48 * simtest::kMiB, simtest::kMiB));
    m.volumes.push_back(simtest::BasicVolume("66666666-6666-6666-6666-666666666666", "", 1, 50 * simtest::kMiB, simtest::kMiB));
    m.volumes.back().mountFolders = {kHidden + "mnt\\"};
    return m;
}

// The mount folders a volume holds, or the error of the first call.
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

}  // namespace

TEST(Volumes, EnumerationAndMountFoldersFollowTheDescription) {
    InstalledMachine machine(VolumeMachine());
    char name[MAX_PATH];
    HANDLE search = FindFirstVolumeA(name, MAX_PATH);
    std::vector<std::string> names = {name};
    while (FindNextVolumeA(search, name, MAX_PATH)) names.push_back(name);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindVolumeClose(search));
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(names.back(), kInner);
    EXPECT_EQ(FindFirstVolumeA(name, 10), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
    // Mount folders are listed on the volume that holds them.
    EXPECT_EQ(MountPoints(kSystem), std::vector<std::string>{"data\\"});
    EXPECT_EQ(MountPoints(kHidden), std::vector<std::string>{"mnt\\"});
    const std::pair<std::string, DWORD> failing[] = {
        {kData, ERROR_NO_MORE_FILES}, {kOptical, ERROR_NOT_READY}, {"R:\\", ERROR_UNRECOGNIZED_VOLUME}};
    for (const auto& [volume, expected] : failing) {
        DWORD error = 0;
        EXPECT_TRUE(MountPoints(volume, &error).empty()) << volume;
        EXPECT_EQ(error, expected) << volume;
    }
    EXPECT_EQ(OpenHandleCount(), 0);

    ResetMachine();
    EXPECT_EQ(FindFirstVolumeA(name, MAX_PATH), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
}

// Each call's answer for a root, a mount folder, a folder that is neither, an
// empty drive and an unknown one.
TEST(Volumes, AnswersAndErrorsByPath) {
    InstalledMachine machine(VolumeMachine());
    const std::string kNone;
    const struct {
        std::string path;
        std::string volumeName;  // GetVolumeNameForVolumeMountPointA, or its error
        DWORD nameError;
        UINT driveType;
        std::uint64_t available;  // GetDiskFreeSpaceExA, or its error
        DWORD spaceError;
        std::string label;  // GetVolumeInformationA, or its error
        DWORD infoError;
    } cases[] = {
        {"C:\\", kSystem, 0, DRIVE_FIXED, 1000, 0, "System", 0},
        {"c:\\DATA\\", kData, 0, DRIVE_FIXED, 77, 0, "Data", 0},
        {"E:\\", kData, 0, DRIVE_FIXED, 77, 0, "Data", 0},
        {kInner, kInner, 0, DRIVE_FIXED, 0, 0, "", 0},
        {"D:\\", kOptical, 0, DRIVE_CDROM, 0, ERROR_NOT_READY, kNone, ERROR_NOT_READY},  // known without a disc
        {"C:", kNone, ERROR_INVALID_NAME, DRIVE_FIXED, 1000, 0, kNone, ERROR_INVALID_NAME},
        {"C:\\WINDOWS\\", kNone, ERROR_NOT_A_REPARSE_POINT, DRIVE_NO_ROOT_DIR, 1000, 0, kNone, ERROR_DIR_NOT_ROOT},
        {"C:\\data\\photos", kNone, ERROR_INVALID_NAME, DRIVE_NO_ROOT_DIR, 77, 0, kNone, ERROR_INVALID_NAME},
        {"R:\\", "\\\\?\\Volume{44444444-4444-4444-4444-444444444444}\\", 0, DRIVE_FIXED, 0,
         ERROR_UNRECOGNIZED_VOLUME, kNone, ERROR_UNRECOGNIZED_VOLUME},  // RAW
        {"Q:\\", kNone, ERROR_FILE_NOT_FOUND, DRIVE_NO_ROOT_DIR, 0, ERROR_PATH_NOT_FOUND, kNone, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        char name[MAX_PATH] = "";
        const BOOL named = GetVolumeNameForVolumeMountPointA(c.path.c_str(), name, MAX_PATH);
        EXPECT_EQ(named ? std::string(name) : "", c.volumeName) << c.path;
        if (!named) {
            EXPECT_EQ(GetLastError(), c.nameError) << c.path;
        }
        EXPECT_EQ(GetDriveTypeA(c.path.c_str()), c.driveType) << c.path;
        ULARGE_INTEGER available = {};
        if (GetDiskFreeSpaceExA(c.path.c_str(), &available, nullptr, nullptr)) {
            EXPECT_EQ(available.QuadPart, c.available) << c.path;
        } else {
            EXPECT_EQ(GetLastError(), c.spaceError) << c.path;
        }
        char label[256] = "-", fs[256];
        if (GetVolumeInformationA(c.path.c_str(), label, 256, nullptr, nullptr, nullptr, fs, 256)) {
            EXPECT_EQ(std::string(label), c.label) << c.path;
        } else {
            EXPECT_EQ(GetLastError(), c.infoError) << c.path;
        }
    }
    EXPECT_EQ(GetDriveTypeA(nullptr), UINT(DRIVE_FIXED));
    char label[256];
    EXPECT_FALSE(GetVolumeInformationA("C:\\", label, 6, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_LENGTH));
}

TEST(Volumes, DriveStringsInLetterOrderAndTheSizeNeeded) {
    InstalledMachine machine(VolumeMachine());
    char buffer[256];
    const DWORD count = GetLogicalDriveStringsA(sizeof(buffer), buffer);
    ASSERT_EQ(count, 16u);
    EXPECT_EQ(std::string(buffer, count + 1), std::string("C:\\\0D:\\\0E:\\\0R:\\\0", 17));
    EXPECT_EQ(GetLogicalDriveStringsA(16, buffer), 17u);

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

TEST(Volumes, VolumePathsAndSystemFoldersWithTheirBufferSizes) {
    InstalledMachine machine(VolumeMachine());
    char path[MAX_PATH];
    ASSERT_TRUE(GetVolumePathNameA("C:\\WINDOWS\\system32", path, 19));
    EXPECT_STREQ(path, "C:\\");
    ASSERT_TRUE(GetVolumePathNameA("C:\\data", path, MAX_PATH));
    EXPECT_STREQ(path, "C:\\data\\");
    EXPECT_FALSE(GetVolumePathNameA("C:\\data\\x", path, 8));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));

    char small[5];
    EXPECT_EQ(GetSystemDirectoryA(small, sizeof(small)), 20u);  // C:\WINDOWS\system32 and its terminator
    EXPECT_EQ(GetSystemDirectoryA(path, MAX_PATH), 19u);
    EXPECT_STREQ(path, "C:\\WINDOWS\\system32");
    EXPECT_EQ(GetWindowsDirectoryA(small, sizeof(small)), 11u);
    EXPECT_EQ(GetWindowsDirectoryA(path, MAX_PATH), 10u);
}
