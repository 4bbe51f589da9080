#include "tools/common/NewFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#if defined(_WIN32)
#include "platform/win32.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace strata_tools {

namespace {

enum class Entry { Missing, Folder, RegularFile, SymbolicLink, Other };

#if defined(_WIN32)

std::string SystemError() { return "error " + std::to_string(GetLastError()); }

Entry EntryAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Entry::Missing;
        throw std::runtime_error("cannot look at " + path + ": error " + std::to_string(error));
    }
    // Symbolic links and junctions are both reparse points.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Entry::SymbolicLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Entry::Folder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Entry::Other;
    return Entry::RegularFile;
}

bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool CreateExclusively(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool NameTaken() { return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS; }

// False with NameTaken() when `to` appeared meanwhile.
bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), 0) != 0;
}

bool MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

#else

std::string SystemError() { return std::strerror(errno); }

Entry EntryAt(const std::string& path) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) return Entry::Missing;
        throw std::runtime_error("cannot look at " + path + ": " + SystemError());
    }
    if (S_ISLNK(status.st_mode)) return Entry::SymbolicLink;
    if (S_ISDIR(status.st_mode)) return Entry::Folder;
    if (S_ISREG(status.st_mode)) return Entry::RegularFile;
    return Entry::Other;
}

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }

bool CreateExclusively(const std::string& path) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) return false;
    ::close(file);
    return true;
}

bool NameTaken() { return errno == EEXIST; }

// A hard link fails when `to` exists, even as a dangling symbolic link, where
// rename would replace it. File systems without hard links get the rename.
bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    if (EntryAt(to) != Entry::Missing) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// rename replaces the directory entry and never writes through a link.
bool MoveReplacing(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

#endif

const int kTemporaryNameTries = 8;

// Makes each missing folder on the way to `name` and refuses one that is a
// symbolic link or a file, so that nothing lands outside `folder`.
std::string PathInside(const std::string& folder, const std::string& name) {
    const std::filesystem::path relative(name);
    if (name.empty() || relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
        throw std::runtime_error("\"" + name + "\" is not a file name inside " + folder);
    }
    std::filesystem::path at(folder);
    std::filesystem::path::const_iterator part = relative.begin();
    while (part != relative.end()) {
        if (*part == "..") throw std::runtime_error("\"" + name + "\" leaves the folder " + folder);
        at /= *part;
        ++part;
        if (part == relative.end()) break;
        const std::string step = at.string();
        Entry entry = EntryAt(step);
        if (entry == Entry::Missing) {
            if (!MakeFolder(step) && !NameTaken()) {
                throw std::runtime_error("cannot create the folder " + step + ": " + SystemError());
            }
            entry = EntryAt(step);
        }
        if (entry == Entry::SymbolicLink) {
            throw std::runtime_error(step + " is a symbolic link; nothing is written through one");
        }
        if (entry != Entry::Folder) throw std::runtime_error(step + " is not a folder");
    }
    return at.string();
}

}  // namespace

std::string KeepEveryFile(const std::string&) { return "exists; it is not replaced"; }

NewFile::NewFile(const std::string& folder, const std::string& name, const ExistingFileRule& rule)
    : path_(PathInside(folder, name)), rule_(rule) {
    CheckExisting();
    std::random_device random;
    for (int attempt = 0; attempt < kTemporaryNameTries && temporary_.empty(); ++attempt) {
        const std::string candidate = path_ + ".partial-" + std::to_string(random());
        if (CreateExclusively(candidate)) {
            temporary_ = candidate;
        } else if (!NameTaken()) {
            throw std::runtime_error("cannot write " + path_ + ": " + SystemError());
        }
    }
    if (temporary_.empty()) throw std::runtime_error("cannot write " + path_ + ": no free temporary name");
}

NewFile::~NewFile() {
    if (!committed_) RemoveFile(temporary_);
}

void NewFile::CheckExisting() const {
    switch (EntryAt(path_)) {
    case Entry::Missing:
        return;
    case Entry::SymbolicLink:
        throw std::runtime_error(path_ + " is a symbolic link; nothing is written through one");
    case Entry::RegularFile: {
        const std::string keep = rule_(path_);
        if (!keep.empty()) throw std::runtime_error(path_ + " " + keep);
        return;
    }
    default:
        throw std::runtime_error(path_ + " exists and is not a regular file; it is not replaced");
    }
}

void NewFile::Commit() {
    CheckExisting();
    bool moved = MoveWithoutReplacing(temporary_, path_);
    if (!moved && NameTaken()) {
        CheckExisting();
        moved = MoveReplacing(temporary_, path_);
    }
    if (!moved) throw std::runtime_error("cannot put " + path_ + " in place: " + SystemError());
    committed_ = true;
}

}  // namespace strata_tools
