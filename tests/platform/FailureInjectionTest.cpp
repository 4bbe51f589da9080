// Failures injected by call, object, control code and count reach the
// caller with their code and the system's text for it.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"
#include "tests/support/SimBuilders.h"

#include <cerrno>

using namespace strata_sim;
using simtest::InstalledMachine;
using simtest::OpenForProbe;
using strata_test::Fail;

namespace {

BOOL Ask(HANDLE h, DWORD code) {
    std::vector<unsigned char> reply(64);
    DWORD returned = 0;
    return DeviceIoControl(h, code, nullptr, 0, reply.data(), 64, &returned, nullptr);
}

}  // namespace

TEST(FailureInjection, EachFailureHitsOnlyItsCallObjectAndControlCode) {
    Machine m = simtest::ProbeMachine();
    m.failures.push_back(Fail("DeviceIoControl", "\\\\.\\PHYSICALDRIVE1", ERROR_CRC, IOCTL_DISK_GET_LENGTH_INFO));
    m.failures.push_back(Fail("GetDiskFreeSpaceExA", "\\\\?\\Volume{22222222-2222-2222-2222-222222222222}\\",
                              ERROR_ACCESS_DENIED));
    m.failures.push_back(Fail("GetVolumeInformationA", "C:\\", ERROR_GEN_FAILURE));
    m.failures.push_back(Fail("GetLogicalDriveStringsA", "", ERROR_NOT_ENOUGH_MEMORY));
    m.failures.push_back(Fail("_read", "\\\\.\\PHYSICALDRIVE0", ERROR_CRC));
    m.failures.push_back(Fail("CoCreateInstance", "", ERROR_ACCESS_DENIED));
    InstalledMachine machine(m);
    HANDLE first = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    HANDLE second = OpenForProbe(  // the failure names it by another of its names
        "\\\\?\\scsi#disk&ven_ata&prod_second#4&1&0&000100#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(Ask(first, IOCTL_DISK_GET_LENGTH_INFO), 1);
    EXPECT_EQ(Ask(second, IOCTL_DISK_GET_DRIVE_GEOMETRY), 1);
    EXPECT_FALSE(Ask(second, IOCTL_DISK_GET_LENGTH_INFO));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CRC));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "Data error (cyclic redundancy check).\r\n");
    CloseHandle(first);
    CloseHandle(second);

    ULARGE_INTEGER free;
    EXPECT_TRUE(GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    EXPECT_FALSE(GetDiskFreeSpaceExA("C:\\data\\", &free, nullptr, nullptr));  // the mounted volume's
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(simtest::SystemText(GetLastError()), "A device attached to the system is not functioning.\r\n");
    char roots[256];
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof(roots), roots), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));

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

TEST(FailureInjection, OnlyTheNthMatchingCallFails) {
    Machine m = simtest::ProbeMachine();
    m.failures.push_back(Fail("CreateFileA", simtest::kFirstDisk, ERROR_ACCESS_DENIED));
    m.failures.back().nth = 2;
    InstalledMachine machine(m);
    std::vector<bool> opened;
    for (int i = 0; i < 3; ++i) {
        HANDLE h = OpenForProbe("\\\\.\\PHYSICALDRIVE0");
        opened.push_back(h != INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        CloseHandle(OpenForProbe("\\\\.\\PHYSICALDRIVE1"));  // does not count
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(OpenHandleCount(), 0);
}
