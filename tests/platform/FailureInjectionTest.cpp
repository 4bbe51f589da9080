// Failures injected by call, object, control code and count reach the
// caller with their code and the system's text for it.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <cerrno>
#include <stdexcept>
#include <thread>

using namespace strata_sim;
using simtest::InstalledMachine;
using simtest::OpenForProbe;

namespace {

Failure Fail(const std::string& call, const std::string& target, DWORD error, std::uint32_t nth = 0) {
    Failure f;
    f.call = call;
    f.target = target;
    f.error = error;
    f.nth = nth;
    return f;
}

Machine TwoDisks() {
    Machine m;
    m.devices.push_back(simtest::Disk(0, "SCSI\\DISK\\A", 1 << 24));
    m.devices.push_back(simtest::Disk(1, "SCSI\\DISK\\B", 1 << 24));
    Volume c = simtest::BasicVolume("11111111-1111-1111-1111-111111111111", "C:\\", 0, 1 << 20, 1 << 22);
    Volume data = simtest::BasicVolume("22222222-2222-2222-2222-222222222222", "", 1, 1 << 20, 1 << 22);
    data.mountFolders = {"C:\\data\\"};
    m.volumes = {c, data};
    return m;
}

BOOL AskLength(HANDLE h) {
    GET_LENGTH_INFORMATION length;
    DWORD returned = 0;
    return DeviceIoControl(h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof(length), &returned, nullptr);
}

BOOL AskGeometry(HANDLE h) {
    DISK_GEOMETRY geometry;
    DWORD returned = 0;
    return DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof(geometry), &returned,
                           nullptr);
}

}  // namespace

TEST(FailureInjection, OneControlCodeOnOneDrive) {
    Machine m = TwoDisks();
    Failure f = Fail("DeviceIoControl", "\\\\.\\PHYSICALDRIVE1", ERROR_CRC);
    f.controlCode = IOCTL_DISK_GET_LENGTH_INFO;
    m.failures.push_back(f);
    InstalledMachine machine(m);
    HANDLE first = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    HANDLE second = OpenForProbe("\\\\?\\scsi#disk#b#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(AskLength(first), 1);
    EXPECT_EQ(AskGeometry(second), 1);
    EXPECT_FALSE(AskLength(second));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "Data error (cyclic redundancy check).\r\n");
    CloseHandle(first);
    CloseHandle(second);
}

TEST(FailureInjection, OnlyTheNthMatchingCallFails) {
    Machine m = TwoDisks();
    m.failures.push_back(Fail("CreateFileA", "SCSI\\DISK\\A", ERROR_ACCESS_DENIED, 2));
    InstalledMachine machine(m);
    std::vector<bool> opened;
    for (int i = 0; i < 3; ++i) {
        HANDLE h = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
        opened.push_back(h != INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        HANDLE other = OpenForProbe("\\\\.\\PHYSICALDRIVE1");  // does not count
        CloseHandle(other);
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(FailureInjection, VolumeCallsByAnyOfTheVolumesNames) {
    Machine m = TwoDisks();
    m.failures.push_back(Fail("GetDiskFreeSpaceExA", "\\\\?\\Volume{22222222-2222-2222-2222-222222222222}\\",
                              ERROR_ACCESS_DENIED));
    m.failures.push_back(Fail("GetVolumeInformationA", "C:\\", ERROR_GEN_FAILURE));
    m.failures.push_back(Fail("GetLogicalDriveStringsA", "", ERROR_NOT_ENOUGH_MEMORY));
    InstalledMachine machine(m);
    ULARGE_INTEGER free;
    EXPECT_TRUE(GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    EXPECT_FALSE(GetDiskFreeSpaceExA("C:\\data\\", &free, nullptr, nullptr));  // the mounted volume's
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "A device attached to the system is not functioning.\r\n");
    char roots[256];
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof(roots), roots), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(FailureInjection, RunTimeAndComCalls) {
    Machine m = TwoDisks();
    m.failures.push_back(Fail("_read", "\\\\.\\PHYSICALDRIVE0", ERROR_CRC));
    m.failures.push_back(Fail("CoCreateInstance", "", ERROR_ACCESS_DENIED));
    InstalledMachine machine(m);
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    std::vector<char> sector(512);
    EXPECT_EQ(_read(fd, sector.data(), 512), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
    EXPECT_EQ(errno, EINVAL);
    _close(fd);
    const GUID clsid = {0x7988B571, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
    void* object = nullptr;
    CoInitialize(nullptr);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, clsid, &object), HRESULT(0x80070005));
    CoUninitialize();
}

TEST(FailureInjection, AFailureForAnUnknownCallIsRefused) {
    Machine m;
    m.failures.push_back(Fail("DeviceIoControll", "", ERROR_CRC));
    EXPECT_THROW(SetMachine(m), std::runtime_error);
    m.failures[0].call = "CreateFileA";
    m.failures[0].controlCode = IOCTL_DISK_GET_LENGTH_INFO;  // only for DeviceIoControl
    EXPECT_THROW(SetMachine(m), std::runtime_error);
    ResetMachine();
}

TEST(ErrorText, SystemTextsOfTheCodesTheMachineProduces) {
    EXPECT_EQ(simtest::SystemText(ERROR_INVALID_FUNCTION), "Incorrect function.\r\n");
    EXPECT_EQ(simtest::SystemText(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(simtest::SystemText(ERROR_NO_MORE_ITEMS), "No more data is available.\r\n");
    EXPECT_EQ(simtest::SystemText(ERROR_INSUFFICIENT_BUFFER), "The data area passed to a system call is too small.\r\n");
    EXPECT_EQ(simtest::SystemText(ERROR_INVALID_USER_BUFFER),
              "The supplied user buffer is not valid for the requested operation.\r\n");
    EXPECT_EQ(simtest::SystemText(0x80070005), "Access is denied.\r\n");  // HRESULT of a Win32 code
    for (DWORD code : {1, 2, 3, 5, 6, 8, 13, 18, 21, 23, 31, 50, 87, 122, 234, 259, 1005, 1112, 1168, 1784}) {
        const std::string text = simtest::SystemText(code);
        ASSERT_GE(text.size(), 3u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
    LPSTR text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    EXPECT_EQ(FormatMessageA(flags, nullptr, 0x12345, 0x400, reinterpret_cast<LPSTR>(&text), 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    char small[8];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    char buffer[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer, 64, nullptr), 19u);
    EXPECT_STREQ(buffer, "Access is denied.\r\n");
}

TEST(ErrorText, TheLastErrorBelongsToTheThread) {
    SetLastError(ERROR_CRC);
    DWORD seen = 0;
    std::thread other([&seen] {
        SetLastError(ERROR_NOT_READY);
        seen = GetLastError();
    });
    other.join();
    EXPECT_EQ(seen, DWORD(ERROR_NOT_READY));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
}
