#include "tools/strata-capture/SectorCapture.h"

#include "collect/CriticalErrorsOff.h"
#include "ldm/GptFormat.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LittleEndian.h"
#include "ldm/RawDiskAccess.h"
#include "platform/win32.h"

#include <algorithm>
#include <set>

namespace strata_capture {

namespace {

using namespace strata_col::gpt_layout;

// The most extended boot records followed (entry arrays: kMaxEntryArrayBytes).
const std::size_t kMaxExtendedRecords = 256;
const unsigned char kExtendedType = 0x05;
const unsigned char kExtendedLbaType = 0x0F;

// Bounds-checked little-endian fields; 0 outside the bytes.
std::uint32_t LittleEndian32(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    strata_col::ReadLittleEndian32(bytes.data(), bytes.size(), offset, value);
    return value;
}

std::uint64_t LittleEndian64(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::uint64_t value = 0;
    strata_col::ReadLittleEndian64(bytes.data(), bytes.size(), offset, value);
    return value;
}

// Raw reads through the C run-time, as the plug-in makes them; every byte read
// is kept, every failed call recorded for the replay.
class RecordingDiskAccess : public strata_col::RawDiskAccess {
public:
    RecordingDiskAccess(const DriveToRead& drive, CaptureLog& log, CapturedSectors& sectors)
        : drive_(drive), log_(log), sectors_(sectors) {}

    int Open(const std::string& path) override {
        int file = -1;
        DWORD error = 0;
        {
            const strata_col::CriticalErrorsOff guard;
            file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
            error = GetLastError();
        }
        if (file < 0) {
            lastOpenError_ = error;
            log_.Fail(RecordedFailure{"_open", 0, path, error, -1});
        }
        return file;
    }
    bool Seek(int file, std::uint64_t offset) override {
        if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
        const __int64 wanted = static_cast<__int64>(offset);
        if (_lseeki64(file, wanted, SEEK_SET) != wanted) {
            log_.Fail(RecordedFailure{"_lseeki64", 0, drive_.path, GetLastError(), -1});
            return false;
        }
        position_ = offset;
        return true;
    }
    long Read(int file, unsigned char* buffer, std::uint32_t count) override {
        int got = 0;
        DWORD error = 0;
        {
            const strata_col::CriticalErrorsOff guard;
            got = _read(file, buffer, count);
            error = GetLastError();
        }
        if (got < 0) {
            log_.Fail(RecordedFailure{"_read", 0, drive_.path, error, -1});
            return got;
        }
        if (got > 0) {
            std::vector<unsigned char>& piece = sectors_[position_];
            if (piece.size() < static_cast<std::size_t>(got)) piece.assign(buffer, buffer + got);
            position_ += static_cast<std::uint64_t>(got);
        }
        return got;
    }
    void Close(int file) override { _close(file); }
    DWORD LastOpenError() const { return lastOpenError_; }
    std::uint64_t EndOf(int) override { return 0; }
    // What the drive answered already; the plug-in's own query opens the
    // drive for writing too, which a capture never does.
    strata_col::DriveSize QueryDrive(const std::string&) override {
        strata_col::DriveSize size;
        size.bytesPerSector = drive_.bytesPerSector;
        size.length = drive_.length;
        return size;
    }

private:
    const DriveToRead& drive_;
    CaptureLog& log_;
    CapturedSectors& sectors_;
    std::uint64_t position_ = 0;
    DWORD lastOpenError_ = 0;
};

// Reads whole sectors at `lba`; the bytes read, empty on failure.
std::vector<unsigned char> ReadSectors(RecordingDiskAccess& access, int file, const DriveToRead& drive,
                                       std::uint64_t lba, std::uint64_t count) {
    std::vector<unsigned char> bytes;
    const std::uint64_t sectors = drive.length / drive.bytesPerSector;
    if (count == 0 || lba >= sectors || count > sectors - lba) return bytes;
    bytes.assign(static_cast<std::size_t>(count * drive.bytesPerSector), 0);
    if (!access.Seek(file, lba * drive.bytesPerSector)) return {};
    const long got = access.Read(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

// A GPT header at `lba` and its entry array.
void ReadGptTable(RecordingDiskAccess& access, int file, const DriveToRead& drive, std::uint64_t lba,
                  std::uint64_t* alternate) {
    const std::vector<unsigned char> header = ReadSectors(access, file, drive, lba, 1);
    if (header.size() < kHeaderMinSize ||
        !std::equal(kHeaderSignature, kHeaderSignature + kHeaderSignatureSize, header.begin())) {
        return;
    }
    if (alternate != nullptr) *alternate = LittleEndian64(header, kHeaderAlternateLbaOffset);
    const std::uint64_t entries = LittleEndian64(header, kHeaderEntriesLbaOffset);
    const std::uint64_t bytes = static_cast<std::uint64_t>(LittleEndian32(header, kHeaderEntryCountOffset)) *
                                LittleEndian32(header, kHeaderEntrySizeOffset);
    if (bytes == 0 || bytes > kMaxEntryArrayBytes) return;
    ReadSectors(access, file, drive, entries, (bytes + drive.bytesPerSector - 1) / drive.bytesPerSector);
}

// Sector 0 and the chain of extended boot records behind it.
void ReadMbrTables(RecordingDiskAccess& access, int file, const DriveToRead& drive) {
    const std::vector<unsigned char> mbr = ReadSectors(access, file, drive, 0, 1);
    if (mbr.size() < kMbrBootSignatureOffset) return;
    std::uint64_t chainStart = 0;
    for (std::size_t i = 0; i < kMbrEntryCount; ++i) {
        const std::size_t entry = kMbrPartitionTableOffset + i * kMbrEntrySize;
        const unsigned char type = mbr[entry + kMbrEntryTypeOffset];
        if (type == kExtendedType || type == kExtendedLbaType) {
            chainStart = LittleEndian32(mbr, entry + kMbrEntryFirstSectorOffset);
        }
    }
    std::set<std::uint64_t> seen;
    std::uint64_t next = chainStart;
    while (next != 0 && seen.size() < kMaxExtendedRecords && seen.insert(next).second) {
        const std::vector<unsigned char> record = ReadSectors(access, file, drive, next, 1);
        if (record.size() < kMbrBootSignatureOffset) return;
        const std::size_t link = kMbrPartitionTableOffset + kMbrEntrySize;
        const unsigned char type = record[link + kMbrEntryTypeOffset];
        if (type != kExtendedType && type != kExtendedLbaType) return;
        next = chainStart + LittleEndian32(record, link + kMbrEntryFirstSectorOffset);
    }
}

}  // namespace

std::uint64_t CoveredBytes(const CapturedSectors& sectors) {
    std::uint64_t covered = 0;
    std::uint64_t reached = 0;
    for (const auto& piece : sectors) {
        const std::uint64_t end = piece.first + piece.second.size();
        if (end <= reached) continue;
        covered += end - std::max(reached, piece.first);
        reached = end;
    }
    return covered;
}

bool SectorCapture::Capture(const DriveToRead& drive, CapturedSectors& sectors, DWORD& openError) {
    RecordingDiskAccess access(drive, log_, sectors);
    const int file = access.Open(drive.path);
    if (file < 0) {
        openError = access.LastOpenError();
        return false;
    }
    if (drive.bytesPerSector != 0 && drive.length >= drive.bytesPerSector) {
        ReadMbrTables(access, file, drive);
        std::uint64_t alternate = 0;
        ReadGptTable(access, file, drive, kPrimaryHeaderLba, &alternate);
        const std::uint64_t last = drive.length / drive.bytesPerSector - 1;
        ReadGptTable(access, file, drive, last, nullptr);
        if (alternate != 0 && alternate != last) ReadGptTable(access, file, drive, alternate, nullptr);
    }
    access.Close(file);
    // The private header(s) and the database area, read as the plug-in reads them.
    strata_col::LDMDBParser parser(access);
    strata_col::DeviceMap devices;
    devices.insert(std::make_pair(std::string("drive"), drive.path));
    parser.ReadDatabases(devices);
    return true;
}

}  // namespace strata_capture
