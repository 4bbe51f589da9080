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

    // Opens a regular file or a block device with O_RDONLY; false when it
    // cannot be opened or is anything else (Error() says why). A FIFO is
    // refused without waiting for a writer.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    std::int64_t Size() const { return size_; }
    const std::string& Error() const { return error_; }

    // Reads count bytes at offset. Bytes past the image's end read as zero.
    // False on a read error.
    bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;

private:
    bool Refuse(const std::string& why);

    int fd_ = -1;
    std::int64_t size_ = 0;
    std::string error_;
};

}  // namespace strata_sim

#endif
