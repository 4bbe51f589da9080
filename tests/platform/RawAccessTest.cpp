// Raw drive reads through the C run-time functions: positions, sector
// alignment, text mode, refusal to write, and images left untouched.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace strata_sim;
using simtest::ImageBuilder;
using simtest::TempDir;

namespace {

const std::int64_t kImageSize = 1 << 20;
const std::int64_t kDeviceLength = 2 << 20;  // the image covers half the drive

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RawAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ImageBuilder image(kImageSize);
        for (std::size_t i = 0; i < static_cast<std::size_t>(kImageSize); ++i) {
            image.Put8(i, static_cast<std::uint8_t>(i / 512));  // each sector holds its number
        }
        image.PutText(7 * 512, "one\r\ntwo\rthree\x1Arest");
        image.Write(dir.File("disk.img"));
        Machine m;
        Device disk = simtest::Disk(0, "SCSI\\DISK\\RAW", kDeviceLength);
        disk.image = dir.File("disk.img");
        m.devices.push_back(disk);
        Device cd;
        cd.interfaceClass = InterfaceClass::CdRom;
        cd.instanceId = "IDE\\CDROM\\0";
        cd.mediaPresent = false;
        m.devices.push_back(cd);
        SetMachine(m);
    }
    void TearDown() override {
        ResetMachine();
        EXPECT_EQ(OpenRawFileCount(), 0);
    }

    TempDir dir;
    std::vector<unsigned char> sector = std::vector<unsigned char>(512);
};

}  // namespace

TEST_F(RawAccess, ReadsSectorsThenZerosPastTheImageThenNothing) {
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 3);
    ASSERT_EQ(_lseeki64(fd, 6 * 512, SEEK_SET), 6 * 512);
    ASSERT_EQ(_read(fd, sector.data(), 512), 512);
    EXPECT_EQ(sector[0], 6);
    EXPECT_EQ(sector[511], 6);
    ASSERT_EQ(_read(fd, sector.data(), 512), 512);  // the position moved on
    EXPECT_EQ(sector[100], 7);

    ASSERT_EQ(_lseeki64(fd, kImageSize, SEEK_SET), kImageSize);
    sector.assign(512, 0xEE);
    ASSERT_EQ(_read(fd, sector.data(), 512), 512);
    EXPECT_EQ(sector, std::vector<unsigned char>(512, 0));

    EXPECT_EQ(_lseeki64(fd, 0, SEEK_END), 0);  // a drive has no file size
    ASSERT_EQ(_lseeki64(fd, kDeviceLength - 1024, SEEK_SET), kDeviceLength - 1024);
    std::vector<unsigned char> big(4096);
    EXPECT_EQ(_read(fd, big.data(), 4096), 1024);  // cut at the drive's end
    EXPECT_EQ(_read(fd, big.data(), 4096), 0);
    EXPECT_EQ(_close(fd), 0);
    EXPECT_EQ(_close(fd), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(RawAccess, AnImageReplacedBetweenOpensIsReadAnew) {
    const int before = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    ASSERT_EQ(_read(before, sector.data(), 512), 512);
    EXPECT_EQ(sector[0], 0);

    // Written aside and renamed over the image: another file at the same path.
    ImageBuilder replacement(kImageSize);
    replacement.Put8(0, 0x5A);
    replacement.Write(dir.File("replacement.img"));
    ASSERT_EQ(std::rename(dir.File("replacement.img").c_str(), dir.File("disk.img").c_str()), 0);

    const int after = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    ASSERT_EQ(_read(after, sector.data(), 512), 512);
    EXPECT_EQ(sector[0], 0x5A);
    // A drive opened before keeps reading the file it opened.
    ASSERT_EQ(_lseeki64(before, 512, SEEK_SET), 512);
    ASSERT_EQ(_read(before, sector.data(), 512), 512);
    EXPECT_EQ(sector[0], 1);
    _close(before);
    _close(after);
}

TEST_F(RawAccess, ReadsMustBeWholeSectors) {
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    EXPECT_EQ(_read(fd, sector.data(), 100), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    ASSERT_EQ(_lseeki64(fd, 100, SEEK_SET), 100);
    EXPECT_EQ(_read(fd, sector.data(), 512), -1);
    EXPECT_EQ(_lseeki64(fd, -1, SEEK_SET), -1);
    EXPECT_EQ(errno, EINVAL);
    _close(fd);
}

TEST_F(RawAccess, ThirtyTwoBitSeeksStopAtTwoGigabytes) {
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    EXPECT_EQ(_lseek(fd, 0x7FFFFE00L, SEEK_SET), 0x7FFFFE00L);
    EXPECT_EQ(_lseek(fd, 512, SEEK_CUR), -1L);
    EXPECT_EQ(_lseeki64(fd, 0x80000000LL, SEEK_SET), 0x80000000LL);
    _close(fd);
}

TEST_F(RawAccess, WithoutBinaryModeTheRunTimeTranslatesText) {
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY);
    ASSERT_EQ(_lseeki64(fd, 7 * 512, SEEK_SET), 7 * 512);
    std::vector<char> text(512);
    ASSERT_EQ(_read(fd, text.data(), 512), 13);  // stops at Ctrl-Z, CR LF became LF
    EXPECT_EQ(std::string(text.data(), 13), "one\ntwo\rthree");
    EXPECT_EQ(_read(fd, text.data(), 512), 0);  // until the next seek
    _lseeki64(fd, 0, SEEK_SET);
    EXPECT_EQ(_read(fd, text.data(), 512), 512);
    _close(fd);
}

TEST_F(RawAccess, WritingOpensAndMissingDevicesAreRefused) {
    for (int flags : {_O_WRONLY, _O_RDWR, _O_RDONLY | _O_CREAT, _O_RDONLY | _O_TRUNC, _O_RDONLY | _O_APPEND}) {
        EXPECT_EQ(_open("\\\\.\\PHYSICALDRIVE0", flags | _O_BINARY), -1) << flags;
        EXPECT_EQ(errno, EACCES);
    }
    EXPECT_EQ(_open("\\\\.\\PHYSICALDRIVE9", _O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_open(dir.File("disk.img").c_str(), _O_RDONLY), -1);  // host files are not drives
    EXPECT_EQ(_read(42, sector.data(), 512), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(RawAccess, AnEmptyDriveOpensButDoesNotRead) {
    const int fd = _open("\\\\?\\ide#cdrom#0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 3);
    EXPECT_EQ(_read(fd, sector.data(), 512), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    _close(fd);
}

TEST_F(RawAccess, ImagesStayByteIdenticalAfterHeavyUse) {
    const std::string path = dir.File("disk.img");
    const std::string before = ReadFile(path);
    struct stat statBefore;
    ASSERT_EQ(stat(path.c_str(), &statBefore), 0);
    std::vector<unsigned char> buffer(64 * 1024);
    for (int round = 0; round < 50; ++round) {
        const int fd = _open("\\\\.\\PHYSICALDRIVE0", round % 2 ? _O_RDONLY : _O_RDONLY | _O_BINARY);
        for (std::int64_t at = 0; at < kDeviceLength; at += buffer.size()) {
            _lseeki64(fd, at, SEEK_SET);
            _read(fd, buffer.data(), static_cast<unsigned>(buffer.size()));
        }
        _close(fd);
        HANDLE h = simtest::OpenForProbe("\\\\.\\PHYSICALDRIVE0");
        DWORD returned = 0;
        DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(), 40960, &returned, nullptr);
        CloseHandle(h);
        if (round % 10 == 0) SetMachine(CurrentMachine());
    }
    struct stat statAfter;
    ASSERT_EQ(stat(path.c_str(), &statAfter), 0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(statAfter.st_mtim.tv_sec, statBefore.st_mtim.tv_sec);
    EXPECT_EQ(statAfter.st_mtim.tv_nsec, statBefore.st_mtim.tv_nsec);
}

TEST(RawAccessOnWindowsDisks, ThePrivateHeaderIsAtSectorSix) {
    const std::string image = std::string(STRATA_FIXTURE_IMAGES) + "/ldm-2003r2-simple-1.img";
    if (std::string(STRATA_FIXTURE_IMAGES).empty() || !std::ifstream(image)) {
        GTEST_SKIP() << "dynamic-disk fixture images not unpacked";
    }
    Machine m;
    Device disk = simtest::Disk(0, "SCSI\\DISK\\LDM", 0);
    disk.length.reset();
    disk.image = image;
    m.devices.push_back(disk);
    simtest::InstalledMachine machine(m);
    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    std::vector<char> header(512);
    ASSERT_EQ(_lseek(fd, 6 * 512, SEEK_SET), 6 * 512);
    ASSERT_EQ(_read(fd, header.data(), 512), 512);
    EXPECT_EQ(std::string(header.data(), 8), "PRIVHEAD");
    _close(fd);
}
