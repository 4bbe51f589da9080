#include "tools/strata-capture/SparseImage.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include "platform/win32.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace strata_capture {

namespace {

std::uint64_t ImageLength(std::uint64_t length, const CapturedSectors& sectors) {
    for (const auto& piece : sectors) {
        const std::uint64_t end = piece.first + piece.second.size();
        if (end > length) length = end;
    }
    return length;
}

}  // namespace

#if defined(_WIN32)

namespace {

const DWORD kSetSparse = 0x000900C4;  // FSCTL_SET_SPARSE

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = text != nullptr ? text : "error " + std::to_string(code);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message;
}

}  // namespace

bool WriteSparseImage(const std::string& path, std::uint64_t length, const CapturedSectors& sectors,
                      std::string& error) {
    // The file exists already, empty: the caller created it as new.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemText(GetLastError());
        return false;
    }
    // Without the sparse mark the file would take the drive's whole size.
    DWORD returned = 0;
    bool ok = DeviceIoControl(file, kSetSparse, nullptr, 0, nullptr, 0, &returned, nullptr) != 0;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(ImageLength(length, sectors));
    ok = ok && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    for (auto piece = sectors.begin(); ok && piece != sectors.end(); ++piece) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(piece->first);
        DWORD written = 0;
        ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
             WriteFile(file, piece->second.data(), static_cast<DWORD>(piece->second.size()), &written, nullptr) &&
             written == piece->second.size();
    }
    if (!ok) error = SystemText(GetLastError());
    if (!CloseHandle(file) && ok) {
        error = SystemText(GetLastError());
        ok = false;
    }
    return ok;
}

#else

bool WriteSparseImage(const std::string& path, std::uint64_t length, const CapturedSectors& sectors,
                      std::string& error) {
    const int file = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = ::ftruncate(file, static_cast<off_t>(ImageLength(length, sectors))) == 0;
    for (auto piece = sectors.begin(); ok && piece != sectors.end(); ++piece) {
        const unsigned char* data = piece->second.data();
        std::size_t left = piece->second.size();
        off_t at = static_cast<off_t>(piece->first);
        while (ok && left > 0) {
            const ssize_t written = ::pwrite(file, data, left, at);
            ok = written > 0;
            if (ok) {
                data += written;
                left -= static_cast<std::size_t>(written);
                at += written;
            }
        }
    }
    if (!ok) error = std::strerror(errno);
    if (::close(file) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

#endif

}  // namespace strata_capture
