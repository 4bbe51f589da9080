#include "platform/sim/ImageFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace strata_sim {

ImageFile::~ImageFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ImageFile::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat info;
    int error = 0;
    if (::fstat(fd_, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;  // images are plain files
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        errno = error;
        return false;
    }
    size_ = info.st_size;
    return true;
}

bool ImageFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
    unsigned char* out = static_cast<unsigned char*>(buffer);
    std::memset(out, 0, count);
    if (fd_ < 0 || offset < 0) return false;
    if (offset >= size_) return true;
    std::size_t wanted = count;
    if (static_cast<std::uint64_t>(size_ - offset) < wanted) {
        wanted = static_cast<std::size_t>(size_ - offset);
    }
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t got = ::pread(fd_, out + done, wanted - done, offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;  // the file shrank: the rest stays zero
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace strata_sim
