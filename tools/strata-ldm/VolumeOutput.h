// Where an extracted volume goes: a new file, written sparse (runs of zero
// blocks become holes), or standard output, written in full. Neither may be
// one of the images read.
#ifndef STRATA_TOOLS_VOLUMEOUTPUT_H
#define STRATA_TOOLS_VOLUMEOUTPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

// Why the file at `path` (or standard output, for "-") must not be written
// because it is one of `inputs`; empty when it is none of them.
std::string OutputIsInput(const std::string& path, const std::vector<std::string>& inputs);

class VolumeOutput {
public:
    // `fd` is open for writing; `sparse` when it is a regular file of ours,
    // empty, into which zero blocks need not be written.
    VolumeOutput(int fd, bool sparse) : fd_(fd), sparse_(sparse) {}

    // Writes the next bytes, at `offset` (the total written so far).
    bool Write(std::uint64_t offset, const unsigned char* data, std::size_t length);
    // Sets a sparse file's length to `size` (its last run may be a hole).
    bool Finish(std::uint64_t size);
    const std::string& Error() const { return error_; }

private:
    bool WriteAll(std::uint64_t offset, const unsigned char* data, std::size_t length);

    int fd_;
    bool sparse_;
    std::string error_;
};

// A progress line on standard error while a large volume is read, when
// standard error is a terminal.
class ProgressLine {
public:
    ProgressLine(const std::string& what, std::uint64_t total);
    ~ProgressLine();
    void Show(std::uint64_t done);

private:
    std::string what_;
    std::uint64_t total_;
    bool shown_;
    int lastPercent_ = -1;
};

}  // namespace strata_tools

#endif
