#include "tools/strata-ldm/ImageFileAccess.h"

#include <filesystem>
#include <limits>

namespace strata_tools {

std::string ImageFileProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) {
        return "cannot be opened: " + error.message();
    }
    if (status.type() != std::filesystem::file_type::regular && status.type() != std::filesystem::file_type::block) {
        return "is not a regular file or block device";
    }
    return "";
}

std::ifstream* ImageFileAccess::Find(int file) {
    const auto it = files_.find(file);
    return it == files_.end() ? nullptr : it->second.get();
}

int ImageFileAccess::Open(const std::string& path) {
    if (!ImageFileProblem(path).empty()) {
        return -1;
    }
    std::unique_ptr<std::ifstream> stream(new std::ifstream(path, std::ios::in | std::ios::binary));
    if (!stream->is_open()) {
        return -1;
    }
    const int file = next_++;
    files_[file] = std::move(stream);
    return file;
}

bool ImageFileAccess::Seek(int file, std::uint64_t offset) {
    std::ifstream* stream = Find(file);
    if (stream == nullptr ||
        offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) {
        return false;
    }
    stream->clear();
    stream->seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    return !stream->fail();
}

long ImageFileAccess::Read(int file, unsigned char* buffer, std::uint32_t count) {
    std::ifstream* stream = Find(file);
    if (stream == nullptr) {
        return -1;
    }
    stream->read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<long>(stream->gcount());
}

void ImageFileAccess::Close(int file) { files_.erase(file); }

std::uint64_t ImageFileAccess::EndOf(int file) {
    std::ifstream* stream = Find(file);
    if (stream == nullptr) {
        return 0;
    }
    stream->clear();
    stream->seekg(0, std::ios::end);
    const std::streamoff end = stream->tellg();
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

strata_col::DriveSize ImageFileAccess::QueryDrive(const std::string& path) {
    strata_col::DriveSize size;
    if (!ImageFileProblem(path).empty()) {
        return size;
    }
    std::ifstream stream(path, std::ios::in | std::ios::binary | std::ios::ate);
    if (!stream.is_open()) {
        return size;
    }
    size.bytesPerSector = sectorSize_;
    const std::streamoff end = stream.tellg();
    size.length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    return size;
}

}  // namespace strata_tools
