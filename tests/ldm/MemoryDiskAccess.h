// Drives held in memory, for the reader tests: each has its bytes, a sector
// size, and switches that make its calls fail. Every read is recorded.
#ifndef STRATA_TESTS_LDM_MEMORYDISKACCESS_H
#define STRATA_TESTS_LDM_MEMORYDISKACCESS_H

#include "ldm/RawDiskAccess.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace strata_test {

struct MemoryDrive {
    std::vector<unsigned char> bytes;
    std::uint32_t sectorSize = 512;
    bool openFails = false;
    long readLimitPastHeader = -1;    // reads past the header return at most this; -1: all
    std::uint64_t reportedLength = 0; // 0: the bytes' size
};

struct ReadCall {
    std::uint64_t offset;
    std::uint32_t count;
};

class MemoryDiskAccess : public strata_col::RawDiskAccess {
public:
    std::map<std::string, MemoryDrive> drives;
    std::vector<ReadCall> reads;
    int openFiles = 0;

    int Open(const std::string& path) override {
        const auto it = drives.find(path);
        if (it == drives.end() || it->second.openFails) return -1;
        files_[next_] = File{&it->second, 0};
        ++openFiles;
        return next_++;
    }
    bool Seek(int file, std::uint64_t offset) override {
        if (!files_.count(file)) return false;
        files_[file].position = offset;
        return true;
    }
    long Read(int file, unsigned char* buffer, std::uint32_t count) override {
        if (!files_.count(file)) return -1;
        File& f = files_[file];
        reads.push_back(ReadCall{f.position, count});
        if (f.position >= f.drive->bytes.size()) return 0;
        std::size_t n = std::min<std::uint64_t>(count, f.drive->bytes.size() - f.position);
        const long limit = f.drive->readLimitPastHeader;
        if (limit >= 0 && f.position > 6 * f.drive->sectorSize) n = std::min<std::size_t>(n, limit);
        std::memcpy(buffer, f.drive->bytes.data() + f.position, n);
        f.position += n;
        return static_cast<long>(n);
    }
    void Close(int file) override {
        if (files_.erase(file)) --openFiles;
    }
    std::uint64_t EndOf(int file) override {
        return files_.count(file) ? Length(*files_[file].drive) : 0;
    }
    strata_col::DriveSize QueryDrive(const std::string& path) override {
        strata_col::DriveSize size;
        const auto it = drives.find(path);
        if (it == drives.end()) return size;
        size.bytesPerSector = it->second.sectorSize;
        size.length = Length(it->second);
        return size;
    }

private:
    struct File {
        MemoryDrive* drive;
        std::uint64_t position;
    };
    static std::uint64_t Length(const MemoryDrive& drive) {
        return drive.reportedLength != 0 ? drive.reportedLength : drive.bytes.size();
    }
    std::map<int, File> files_;
    int next_ = 3;
};

}  // namespace strata_test

#endif
