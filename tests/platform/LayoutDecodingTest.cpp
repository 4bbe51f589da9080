// Drive layouts read from images: MBR with its extended chain, GPT with its
// backup, damaged tables, other sector sizes, and disks written by Windows.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <cstring>

using namespace strata_sim;
using simtest::ImageBuilder;
using simtest::InstalledMachine;
using simtest::TempFolder;

namespace {

const std::size_t kHeader = 48;
const std::size_t kEntry = 144;

struct Layout {
    std::vector<unsigned char> bytes;
    std::uint32_t U32(std::size_t at) const { return simtest::U32At(bytes, at); }
    std::int64_t I64(std::size_t at) const { return simtest::I64At(bytes, at); }
    std::uint32_t Count() const { return U32(4); }
    std::size_t E(std::size_t i) const { return kHeader + kEntry * i; }
    std::uint8_t Type(std::size_t i) const { return bytes.at(E(i) + 32); }
    std::int64_t Offset(std::size_t i) const { return I64(E(i) + 8); }
    std::int64_t Length(std::size_t i) const { return I64(E(i) + 16); }
    std::uint32_t Number(std::size_t i) const { return U32(E(i) + 24); }
    bool Recognized(std::size_t i) const { return bytes.at(E(i) + 34) != 0; }
    std::uint32_t Hidden(std::size_t i) const { return U32(E(i) + 36); }
};

// Installs one disk backed by the image and reads its layout.
Layout LayoutOf(const std::string& image, std::uint32_t sectorSize = 512) {
    Machine m;
    Device disk = strata_test::FixedDisk(0, image);
    disk.geometry.bytesPerSector = sectorSize;
    m.devices.push_back(disk);
    SetMachine(m);
    Layout layout;
    layout.bytes.assign(40960, 0);
    HANDLE h = simtest::OpenForProbe("\\\\.\\PHYSICALDRIVE0");
    DWORD returned = 0;
    EXPECT_EQ(DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, layout.bytes.data(), 40960, &returned,
                              nullptr),
              1);
    layout.bytes.resize(returned);
    CloseHandle(h);
    return layout;
}

bool Noted(const std::string& text) {
    for (const std::string& line : Diagnostics()) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

const GUID kEfiSystem = {0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}};
const GUID kMsReserved = {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};
const GUID kBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
const GUID kDiskId = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// 4 MiB GPT disk, by default EFI system, Microsoft reserved, basic data; both headers.
ImageBuilder GptImage(const std::vector<ImageBuilder::GptPartition>& parts = {
                          {kEfiSystem, kDiskId, 34, 2081, "EFI system partition"},
                          {kMsReserved, kDiskId, 2082, 2337, "Microsoft reserved partition"},
                          {kBasicData, kDiskId, 2338, 8158, "Basic data partition"}}) {
    ImageBuilder image(4 << 20);
    image.MbrEntry(0, 0, 0xEE, 1, 8191);
    image.BootSignature(0);
    image.Gpt(1, 8191, 2, kDiskId, parts);
    image.Gpt(8191, 1, 8159, kDiskId, parts);
    return image;
}

}  // namespace

class LayoutDecoding : public ::testing::Test {
protected:
    void TearDown() override { ResetMachine(); }
    TempFolder dir;
};

TEST_F(LayoutDecoding, MbrWithAnExtendedChainIsListedFourEntriesPerRecord) {
    ImageBuilder image(64 << 20);
    image.Put32(440, 0xCAFEF00D);
    image.MbrEntry(0, 0, 0x07, 2048, 20480, true);
    image.MbrEntry(0, 1, 0x0F, 22528, 40960);
    image.BootSignature(0);
    image.MbrEntry(22528, 0, 0x0B, 2048, 8192);  // logical, counted from its record
    image.MbrEntry(22528, 1, 0x05, 10240, 10240);  // link, counted from the extended start
    image.BootSignature(22528);
    image.MbrEntry(32768, 0, 0x07, 2048, 8192);
    image.BootSignature(32768);
    image.Write(dir.File("mbr.img"));

    const Layout l = LayoutOf(dir.File("mbr.img"));
    EXPECT_EQ(l.U32(0), DWORD(PARTITION_STYLE_MBR));
    EXPECT_EQ(l.U32(8), 0xCAFEF00Du);
    ASSERT_EQ(l.Count(), 12u);
    const struct {
        std::size_t entry;
        std::uint8_t type;
        std::int64_t sector;
        std::uint32_t number;  // containers get none
        bool recognized;
    } entries[] = {
        {0, 0x07, 2048, 1, true},         {1, 0x0F, 2048 + 20480, 0, false}, {2, 0, 0, 0, false},
        {4, 0x0B, 22528 + 2048, 2, true},  // logical, counted from its record
        {5, 0x05, 22528 + 10240, 0, false},  // link, counted from the extended start
        {8, 0x07, 32768 + 2048, 3, true},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(l.Type(e.entry), e.type) << e.entry;
        EXPECT_EQ(l.Offset(e.entry), e.sector * 512) << e.entry;
        EXPECT_EQ(l.Number(e.entry), e.number) << e.entry;
        EXPECT_EQ(l.Recognized(e.entry), e.recognized) << e.entry;
    }
    EXPECT_EQ(l.Length(0), 20480 * 512);
    EXPECT_EQ(l.Hidden(4), 2048u);
    EXPECT_TRUE(Diagnostics().empty());
}

TEST_F(LayoutDecoding, ALoopingExtendedChainEndsWithANote) {
    ImageBuilder image(16 << 20);
    image.MbrEntry(0, 0, 0x05, 2048, 20480);
    image.BootSignature(0);
    image.MbrEntry(2048, 0, 0x07, 63, 1000);
    image.MbrEntry(2048, 1, 0x05, 0, 20480);  // links back to itself
    image.BootSignature(2048);
    image.Write(dir.File("loop.img"));
    const Layout l = LayoutOf(dir.File("loop.img"));
    EXPECT_EQ(l.Count(), 8u);
    EXPECT_EQ(l.Number(4), 1u);
    EXPECT_TRUE(Noted("loops"));
}

TEST_F(LayoutDecoding, GptListsUsedEntriesWithMixedEndianGuids) {
    GptImage().Write(dir.File("gpt.img"));
    const Layout l = LayoutOf(dir.File("gpt.img"));
    EXPECT_EQ(l.U32(0), DWORD(PARTITION_STYLE_GPT));
    ASSERT_EQ(l.Count(), 3u);
    EXPECT_EQ(std::memcmp(&kDiskId, &l.bytes[8], 16), 0);
    EXPECT_EQ(l.I64(24), 34 * 512);                  // StartingUsableOffset
    EXPECT_EQ(l.I64(32), std::int64_t(8192 - 34 - 34 + 1) * 512);  // UsableLength
    EXPECT_EQ(l.U32(40), 128u);                      // MaxPartitionCount
    ASSERT_GE(l.bytes.size(), l.E(1) + 48);
    EXPECT_EQ(std::memcmp(&kMsReserved, &l.bytes[l.E(1) + 32], 16), 0);  // Gpt.PartitionType
    EXPECT_EQ(l.U32(l.E(2)), DWORD(PARTITION_STYLE_GPT));
    EXPECT_EQ(l.Offset(2), 2338 * 512);
    EXPECT_EQ(l.Length(2), (8158 - 2338 + 1) * 512);
    EXPECT_EQ(l.Number(2), 3u);
    EXPECT_EQ(l.bytes[l.E(2) + 72], 'B');  // Name, UTF-16
    EXPECT_EQ(l.bytes[l.E(2) + 73], 0);
}

TEST_F(LayoutDecoding, ADamagedPrimaryGptFallsBackToTheBackup) {
    ImageBuilder image = GptImage();
    image.Put8(512 + 60, 0xFF);  // breaks the primary header's CRC
    image.Write(dir.File("gpt.img"));
    Layout l = LayoutOf(dir.File("gpt.img"));
    EXPECT_EQ(l.U32(0), DWORD(PARTITION_STYLE_GPT));
    EXPECT_EQ(l.Count(), 3u);
    EXPECT_TRUE(Noted("backup"));

    image.Put8(8191 * 512 + 60, 0xFF);  // and now the backup too
    image.Write(dir.File("gpt.img"));
    l = LayoutOf(dir.File("gpt.img"));
    EXPECT_EQ(l.U32(0), DWORD(PARTITION_STYLE_RAW));
    EXPECT_EQ(l.Count(), 0u);
    EXPECT_TRUE(Noted("CRC32"));
}

TEST_F(LayoutDecoding, GptEntriesOutsideTheDriveAreDamage) {
    for (const auto& [first, last] : {std::pair<std::uint64_t, std::uint64_t>{34, 1ull << 62}, {34, 8192}, {100, 50}}) {
        GptImage({{kBasicData, kDiskId, first, last, "Outside"}}).Write(dir.File("gpt.img"));
        const Layout l = LayoutOf(dir.File("gpt.img"));
        EXPECT_EQ(l.U32(0), DWORD(PARTITION_STYLE_RAW)) << first << "-" << last;
        EXPECT_TRUE(Noted("partition entry outside the drive"));
    }
}

TEST_F(LayoutDecoding, NoBootSignatureIsARawDiskAndLargeSectorsScaleOffsets) {
    ImageBuilder noSignature(1 << 20);
    noSignature.MbrEntry(0, 0, 0x07, 63, 1000);
    noSignature.Write(dir.File("raw.img"));
    const Layout raw = LayoutOf(dir.File("raw.img"));
    EXPECT_EQ(raw.U32(0), DWORD(PARTITION_STYLE_RAW));
    EXPECT_EQ(raw.Count(), 0u);

    ImageBuilder image(16 << 20, 4096);
    image.MbrEntry(0, 0, 0x07, 256, 2048);
    image.BootSignature(0);
    image.Write(dir.File("4k.img"));
    const Layout l = LayoutOf(dir.File("4k.img"), 4096);
    ASSERT_EQ(l.Count(), 4u);
    EXPECT_EQ(l.Offset(0), 256 * 4096);
    EXPECT_EQ(l.Length(0), 2048 * 4096);
    EXPECT_EQ(l.Hidden(0), 256u);
}
