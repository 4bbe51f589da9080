// A drive (or image) opened through raw access for one diagnosis, with its
// size, closed when done.
#ifndef STRATA_TOOLS_OPENDRIVE_H
#define STRATA_TOOLS_OPENDRIVE_H

#include "ldm/RawDiskAccess.h"

#include <string>

namespace strata_tools {

class OpenDrive {
public:
    OpenDrive(strata_col::RawDiskAccess& access, const std::string& path)
        : access_(access), file_(access.Open(path)), drive_(access.QueryDrive(path)) {
        if (file_ >= 0 && drive_.length == 0) drive_.length = access.EndOf(file_);
    }
    ~OpenDrive() {
        if (file_ >= 0) access_.Close(file_);
    }
    OpenDrive(const OpenDrive&) = delete;
    OpenDrive& operator=(const OpenDrive&) = delete;

    int file() const { return file_; }
    const strata_col::DriveSize& drive() const { return drive_; }

private:
    strata_col::RawDiskAccess& access_;
    int file_;
    strata_col::DriveSize drive_;
};

}  // namespace strata_tools

#endif
