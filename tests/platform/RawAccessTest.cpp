// Raw drive reads through the C run-time functions: positions, sector
// alignment, text mode and refusal to write.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <cerrno>
#include <cstdio>

using namespace strata_sim;
using simtest::ImageBuilder;
using simtest::TempFolder;

namespace {

const std::int64_t kImageSize = 1 << 20;
const std::int64_t kDeviceLength = 2 << 20;  // the image covers half the drive

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
        Device disk = strata_test::FixedDisk(0, kDeviceLength, "SCSI\\DISK\\RAW");
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

    TempFolder dir;
    std::vector<unsigned char> sector = std::vector<unsigned char>(512);
};

}  // namespace

TEST_F(RawAccess, ReadsSectorsThenZerosPastTheImageAndNeverAcrossTheDrivesEnd) {
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
    // A read across the drive's end fails whole, as on Windows; the part
    // before the end still reads, and at the end nothing is left.
    EXPECT_EQ(_read(fd, big.data(), 4096), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SECTOR_NOT_FOUND));
    EXPECT_EQ(_read(fd, big.data(), 1024), 1024);
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

TEST_F(RawAccess, WritingOpensPartSectorsAndEmptyOrMissingDrivesAreRefused) {
    for (int flags : {_O_WRONLY, _O_RDWR, _O_RDONLY | _O_CREAT, _O_RDONLY | _O_TRUNC, _O_RDONLY | _O_APPEND}) {
        EXPECT_EQ(_open("\\\\.\\PHYSICALDRIVE0", flags | _O_BINARY), -1) << flags;
        EXPECT_EQ(errno, EACCES);
    }
    EXPECT_EQ(_open("\\\\.\\PHYSICALDRIVE9", _O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_open(dir.File("disk.img").c_str(), _O_RDONLY), -1);  // host files are not drives
    EXPECT_EQ(_read(42, sector.data(), 512), -1);
    EXPECT_EQ(errno, EBADF);

    const int fd = _open("\\\\.\\PHYSICALDRIVE0", _O_RDONLY | _O_BINARY);
    EXPECT_EQ(_read(fd, sector.data(), 100), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    ASSERT_EQ(_lseeki64(fd, 100, SEEK_SET), 100);
    EXPECT_EQ(_read(fd, sector.data(), 512), -1);
    EXPECT_EQ(_lseeki64(fd, -1, SEEK_SET), -1);
    EXPECT_EQ(errno, EINVAL);
    _close(fd);

    // An empty drive opens but does not read.
    const int cd = _open("\\\\?\\ide#cdrom#0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", _O_RDONLY | _O_BINARY);
    ASSERT_GE(cd, 3);
    EXPECT_EQ(_read(cd, sector.data(), 512), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    _close(cd);
}
