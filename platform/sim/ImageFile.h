// A backing image opened read-only. There is no way to write through it.
#ifndef STRATA_PLATFORM_SIM_IMAGEFILE_H
#define STRATA_PLATFORM_SIM_IMAGEFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace strata_sim {

class ImageFile {
public:
    ImageFile() {}
    ~ImageFile();
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    // Opens with O_RDONLY; false (and errno set) when it cannot be opened.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    std::int64_t Size() const { return size_; }

    // Reads count bytes at offset. Bytes past the image's end read as zero.
    // False on a read error.
    bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace strata_sim

#endif
