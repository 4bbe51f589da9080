// Drive access to disk image files on the host: each image is a drive of a
// chosen sector size whose length is the file's. Only regular files and
// block devices are images; anything else (a FIFO, a folder) is not opened,
// so nothing waits for a writer that never comes.
#ifndef STRATA_TOOLS_IMAGEFILEACCESS_H
#define STRATA_TOOLS_IMAGEFILEACCESS_H

#include "ldm/RawDiskAccess.h"

#include <fstream>
#include <map>
#include <memory>

namespace strata_tools {

// Why the path cannot be read as an image; empty when it can be tried.
std::string ImageFileProblem(const std::string& path);

class ImageFileAccess : public strata_col::RawDiskAccess {
public:
    explicit ImageFileAccess(std::uint32_t sectorSize = 512) : sectorSize_(sectorSize) {}

    int Open(const std::string& path) override;
    bool Seek(int file, std::uint64_t offset) override;
    long Read(int file, unsigned char* buffer, std::uint32_t count) override;
    void Close(int file) override;
    std::uint64_t EndOf(int file) override;
    strata_col::DriveSize QueryDrive(const std::string& path) override;

private:
    std::ifstream* Find(int file);

    std::uint32_t sectorSize_;
    int next_ = 3;
    std::map<int, std::unique_ptr<std::ifstream> > files_;
};

}  // namespace strata_tools

#endif
