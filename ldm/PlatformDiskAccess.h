// Drive access through the Windows C run-time and DeviceIoControl.
#ifndef STRATA_LDM_PLATFORMDISKACCESS_H
#define STRATA_LDM_PLATFORMDISKACCESS_H

#include "ldm/RawDiskAccess.h"

namespace strata_col {

class PlatformDiskAccess : public RawDiskAccess {
public:
    int Open(const std::string& path) override;
    bool Seek(int file, std::uint64_t offset) override;
    long Read(int file, unsigned char* buffer, std::uint32_t count) override;
    void Close(int file) override;
    // 0: a drive's length is never taken from its file position.
    std::uint64_t EndOf(int file) override;
    // The geometry's sector size and the drive length, from one open: the
    // length control code's answer, else what the geometry covers.
    DriveSize QueryDrive(const std::string& path) override;
};

}  // namespace strata_col

#endif
