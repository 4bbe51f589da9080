// Helpers for the simulated-machine tests: temporary folders, disk images
// written byte by byte, and machines installed for one test.
#ifndef STRATA_TESTS_PLATFORM_SIMTESTSUPPORT_H
#define STRATA_TESTS_PLATFORM_SIMTESTSUPPORT_H

#include <boost/endian/conversion.hpp>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DiskFormat.h"
#include "platform/sim/SimMachine.h"
#include "platform/win32.h"
#include "tests/support/SimBuilders.h"
#include "tests/support/TempFolder.h"

namespace simtest {

using strata_test::TempFolder;

// A disk image assembled in memory and written to a file.
class ImageBuilder {
public:
    explicit ImageBuilder(std::size_t size, std::uint32_t sectorSize = 512) : bytes_(size, 0), sector_(sectorSize) {}

    void Put8(std::size_t at, std::uint8_t v) { *At(at, 1) = v; }
    void Put16(std::size_t at, std::uint16_t v) { boost::endian::store_little_u16(At(at, 2), v); }
    void Put32(std::size_t at, std::uint32_t v) { boost::endian::store_little_u32(At(at, 4), v); }
    void Put64(std::size_t at, std::uint64_t v) { boost::endian::store_little_u64(At(at, 8), v); }
    void PutText(std::size_t at, const std::string& text) { std::memcpy(At(at, text.size()), text.data(), text.size()); }
    // Mixed-endian GUID as stored on disk.
    void PutGuid(std::size_t at, const GUID& g) {
        Put32(at, g.Data1);
        Put16(at + 4, g.Data2);
        Put16(at + 6, g.Data3);
        for (int i = 0; i < 8; ++i) Put8(at + 8 + i, g.Data4[i]);
    }

    // The 55AA signature of the boot record at a sector.
    void BootSignature(std::uint64_t lba) { Put16(lba * sector_ + 510, 0xAA55); }
    // One 16-byte partition-table entry of the boot record at a sector.
    void MbrEntry(std::uint64_t lba, int slot, std::uint8_t type, std::uint32_t start, std::uint32_t count,
                  bool boot = false) {
        const std::size_t at = lba * sector_ + 446 + 16 * slot;
        Put8(at, boot ? 0x80 : 0);
        Put8(at + 4, type);
        Put32(at + 8, start);
        Put32(at + 12, count);
    }

    // A GPT header at lba with its partition array at entriesLba; entries
    // are (type, id, first, last, name). Writes the CRCs.
    struct GptPartition {
        GUID type;
        GUID id;
        std::uint64_t first;
        std::uint64_t last;
        std::string name;
    };
    void Gpt(std::uint64_t lba, std::uint64_t alternate, std::uint64_t entriesLba, const GUID& diskId,
             const std::vector<GptPartition>& parts, std::uint32_t entryCount = 128) {
        const std::size_t entries = entriesLba * sector_;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::size_t e = entries + i * 128;
            PutGuid(e, parts[i].type);
            PutGuid(e + 16, parts[i].id);
            Put64(e + 32, parts[i].first);
            Put64(e + 40, parts[i].last);
            for (std::size_t c = 0; c < parts[i].name.size(); ++c) Put16(e + 56 + 2 * c, parts[i].name[c]);
        }
        const std::size_t h = lba * sector_;
        PutText(h, "EFI PART");
        Put32(h + 8, 0x00010000);
        Put32(h + 12, 92);
        Put64(h + 24, lba);
        Put64(h + 32, alternate);
        Put64(h + 40, 34);
        Put64(h + 48, bytes_.size() / sector_ - 34);
        PutGuid(h + 56, diskId);
        Put64(h + 72, entriesLba);
        Put32(h + 80, entryCount);
        Put32(h + 84, 128);
        Put32(h + 88, Crc(entries, entryCount * 128));
        Put32(h + 16, 0);
        Put32(h + 16, Crc(h, 92));
    }

    std::uint32_t Crc(std::size_t at, std::size_t size) { return disk_format::Crc32(At(at, size), size); }

    void Write(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }

private:
    unsigned char* At(std::size_t at, std::size_t width) {
        if (at > bytes_.size() || width > bytes_.size() - at) throw std::out_of_range("image write past its end");
        return bytes_.data() + at;
    }

    std::vector<unsigned char> bytes_;
    std::uint32_t sector_;
};

// Little-endian fields of a control-code reply, read with bounds checks.
inline std::uint32_t U32At(const std::vector<unsigned char>& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) throw std::out_of_range("reply read past its end");
    return boost::endian::load_little_u32(bytes.data() + at);
}
inline std::int64_t I64At(const std::vector<unsigned char>& bytes, std::size_t at) {
    if (at + 8 > bytes.size()) throw std::out_of_range("reply read past its end");
    return boost::endian::load_little_s64(bytes.data() + at);
}

// Installs a machine for the life of the object; an empty one afterwards.
class InstalledMachine {
public:
    explicit InstalledMachine(const strata_sim::Machine& machine) { strata_sim::SetMachine(machine); }
    ~InstalledMachine() { strata_sim::ResetMachine(); }
};

inline strata_sim::Volume BasicVolume(const std::string& guid, const std::string& root, std::uint32_t disk,
                                      std::int64_t offset, std::int64_t length) {
    strata_sim::Volume v;
    v.guidName = "\\\\?\\Volume{" + guid + "}\\";
    if (!root.empty()) v.roots = {root};
    v.fileSystem = "NTFS";
    v.extents = {{disk, offset, length}};
    return v;
}

const std::int64_t kMiB = 1 << 20;
const char kFirstDisk[] = "SCSI\\DISK&VEN_ATA&PROD_FIRST\\4&1&0&000000";
const char kSecondDisk[] = "SCSI\\DISK&VEN_ATA&PROD_SECOND\\4&1&0&000100";

// Disk 0 (MBR: an NTFS partition and an LDM one), an optical drive without a
// disc, a blank disk 1 and a tape drive. Volumes: C: on disk 0's first
// partition, E: (also mounted at C:\data\) spanning both disks, the empty
// drive's D: and a RAW R:.
inline strata_sim::Machine ProbeMachine() {
    using namespace strata_sim;
    Machine m;
    Device disk = strata_test::FixedDisk(0, 64 * kMiB, kFirstDisk);
    disk.layout = DriveLayout();
    disk.layout->mbrSignature = 0x1234ABCD;
    disk.layout->partitions.resize(4);
    for (int i : {0, 1}) {
        PartitionEntry& p = disk.layout->partitions[i];
        p.startingOffset = i ? 32 * kMiB : kMiB;
        p.length = 31 * kMiB;
        p.number = i + 1;
        p.mbrType = i ? 0x42 : 0x07;
        p.bootIndicator = i == 0;
    }
    Device cd;
    cd.interfaceClass = InterfaceClass::CdRom;
    cd.instanceId = "IDE\\CDROM\\0";
    cd.mediaPresent = false;
    Device tape;
    tape.interfaceClass = InterfaceClass::Tape;
    tape.instanceId = "SCSI\\TAPE\\0";
    tape.mediaTypes = std::vector<std::uint32_t>{LTO_Ultrium, DLT};
    m.devices = {disk, cd, strata_test::FixedDisk(1, 64 * kMiB, kSecondDisk), tape};

    Volume c = BasicVolume("11111111-1111-1111-1111-111111111111", "C:\\", 0, kMiB, 31 * kMiB);
    c.quotaState = DISKQUOTA_STATE_TRACK | 0x100;  // bits beyond the state are passed on too
    Volume spanned = BasicVolume("22222222-2222-2222-2222-222222222222", "E:\\", 0, 32 * kMiB, 8 * kMiB);
    spanned.extents.push_back({1, kMiB, 16 * kMiB});
    spanned.extents.push_back({1, 20 * kMiB, 4 * kMiB});
    spanned.mountFolders = {"C:\\data\\"};
    spanned.quotaState = DISKQUOTA_STATE_ENFORCE;
    Volume d = BasicVolume("33333333-3333-3333-3333-333333333333", "D:\\", 0, 0, 0);
    d.extents.clear();
    d.driveType = DRIVE_CDROM;
    d.fileSystem = "CDFS";
    d.deviceNumber = 0;  // CDROM0: no disc, so the volume has none either
    Volume raw = BasicVolume("44444444-4444-4444-4444-444444444444", "R:\\", 1, 40 * kMiB, kMiB);
    raw.fileSystem.clear();
    m.volumes = {c, spanned, d, raw};
    return m;
}

// The system's text for a code, as the plug-in's logger fetches it.
inline std::string SystemText(DWORD code) {
    LPSTR text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : std::string();
    LocalFree(text);
    return result;
}

inline HANDLE OpenForProbe(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

}  // namespace simtest

#endif
