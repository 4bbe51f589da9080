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

bool ImageFile::Refuse(const std::string& why) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    error_ = why;
    return false;
}

bool ImageFile::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    error_.clear();
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return Refuse(std::strerror(errno));
    struct stat info;
    if (::fstat(fd_, &info) != 0) return Refuse(std::strerror(errno));
    if (S_ISREG(info.st_mode)) {
        size_ = info.st_size;
    } else if (S_ISBLK(info.st_mode)) {
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        if (end < 0) return Refuse(std::strerror(errno));
        size_ = end;
    } else {
        return Refuse("not a regular file or block device");
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) return Refuse(std::strerror(errno));
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
