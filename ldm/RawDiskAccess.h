// Raw, read-only byte access to a drive: how the database reader reaches the
// bytes. The plug-in uses the platform's (PlatformDiskAccess); tools that read
// image files plug in their own.
#ifndef STRATA_LDM_RAWDISKACCESS_H
#define STRATA_LDM_RAWDISKACCESS_H

#include <cstdint>
#include <string>

namespace strata_col {

struct DriveSize {
    std::uint32_t bytesPerSector = 0;  // 0: not available
    std::uint64_t length = 0;          // bytes; 0: not available
};

class RawDiskAccess {
public:
    virtual ~RawDiskAccess() {}

    // A file number for reading, or a negative number on failure.
    virtual int Open(const std::string& path) = 0;
    // Positions the file at `offset` bytes from its start.
    virtual bool Seek(int file, std::uint64_t offset) = 0;
    // Reads up to `count` bytes; the number read, 0 or less when none.
    virtual long Read(int file, unsigned char* buffer, std::uint32_t count) = 0;
    virtual void Close(int file) = 0;
    // The length of an open image file; 0 when unknown (always for a drive).
    virtual std::uint64_t EndOf(int file) = 0;
    // Sector size and length of the drive behind the path.
    virtual DriveSize QueryDrive(const std::string& path) = 0;
};

}  // namespace strata_col

#endif
