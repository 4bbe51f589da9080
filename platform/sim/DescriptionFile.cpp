#include "platform/sim/DescriptionFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace strata_sim {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::runtime_error Unreadable(const std::string& why) {
    return std::runtime_error("cannot read the machine description: " + why);
}

}  // namespace

std::string ReadDescriptionFile(const std::string& path) {
    // O_NONBLOCK: a FIFO must not hold the open until a writer comes.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) throw Unreadable(std::strerror(errno));
    struct stat info;
    if (::fstat(file.get(), &info) != 0) throw Unreadable(std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw Unreadable("not a regular file");
    const std::string tooLarge = "larger than " + std::to_string(kMaxDescriptionBytes >> 20) + " MiB";
    if (static_cast<std::uint64_t>(info.st_size) > kMaxDescriptionBytes) throw Unreadable(tooLarge);
    // The file may have grown since: reading stops past the limit.
    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw Unreadable(std::strerror(errno));
        if (got == 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
        if (text.size() > kMaxDescriptionBytes) throw Unreadable(tooLarge);
    }
    return text;
}

}  // namespace strata_sim
