#include "tools/strata-ldm/VolumeOutput.h"

#include "platform/VisibleText.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace strata_tools {

std::string OutputIsInput(const std::string& path, const std::vector<std::string>& inputs) {
    struct stat out;
    if (path == "-" ? fstat(STDOUT_FILENO, &out) != 0 : stat(path.c_str(), &out) != 0) return "";
    for (const std::string& input : inputs) {
        struct stat in;
        if (stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            return (path == "-" ? "standard output" : path) + " is the image " + input +
                   "; an image is never written";
        }
    }
    return "";
}

namespace {

// Holes are made in blocks of this size: a file system's block.
const std::size_t kSparseBlock = 4096;

bool AllZero(const unsigned char* data, std::size_t length) {
    return length == 0 || (data[0] == 0 && std::memcmp(data, data + 1, length - 1) == 0);
}

}  // namespace

bool VolumeOutput::WriteAll(std::uint64_t offset, const unsigned char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t wrote = sparse_ ? pwrite(fd_, data, length, static_cast<off_t>(offset))
                                      : write(fd_, data, length);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            error_ = wrote < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        data += wrote;
        offset += static_cast<std::uint64_t>(wrote);
        length -= static_cast<std::size_t>(wrote);
    }
    return true;
}

bool VolumeOutput::Write(std::uint64_t offset, const unsigned char* data, std::size_t length) {
    if (!sparse_) return WriteAll(offset, data, length);
    // Writes each run of blocks that are not all zeros; zero blocks stay holes.
    std::size_t runStart = 0;
    bool inRun = false;
    for (std::size_t at = 0; at < length; at += kSparseBlock) {
        const std::size_t block = std::min(kSparseBlock, length - at);
        const bool zero = AllZero(data + at, block);
        if (!zero && !inRun) {
            runStart = at;
            inRun = true;
        } else if (zero && inRun) {
            if (!WriteAll(offset + runStart, data + runStart, at - runStart)) return false;
            inRun = false;
        }
    }
    return !inRun || WriteAll(offset + runStart, data + runStart, length - runStart);
}

bool VolumeOutput::Finish(std::uint64_t size) {
    if (sparse_ && ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

namespace {

// Smaller volumes are read before a line would be worth showing.
const std::uint64_t kProgressFrom = 256ull << 20;

}  // namespace

ProgressLine::ProgressLine(const std::string& what, std::uint64_t total)
    : what_(strata_text::VisibleText(what)), total_(total), shown_(total >= kProgressFrom && isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    if (shown_ && lastPercent_ >= 0) std::cerr << "\n";
}

void ProgressLine::Show(std::uint64_t done) {
    if (!shown_ || total_ == 0) return;
    const int percent = static_cast<int>(done * 100.0 / static_cast<double>(total_));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    std::cerr << "\rstrata-ldm: " << what_ << ": " << percent << " % of " << (total_ >> 20) << " MiB" << std::flush;
}

}  // namespace strata_tools
