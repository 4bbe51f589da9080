// Where the volumes are reachable: drive roots and mount folders.
#include "volume/StorageVolEnum.h"

#include "platform/win32.h"
#include "collect/BufferText.h"

#include <set>
#include <stdexcept>

namespace strata_col {

namespace {

const DWORD kNameBufferLength = MAX_PATH;
const DWORD kDriveStringsLength = 256;
// More than the paths of any volume; a longer list is not believed.
const DWORD kLargestPathList = 1u << 20;

// Closes a volume or mount-point search on every path.
class SearchHandle {
public:
    typedef BOOL (*Closer)(HANDLE);
    SearchHandle(HANDLE handle, Closer closer) : handle_(handle), closer_(closer) {}
    ~SearchHandle() {
        if (IsValid()) closer_(handle_);
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
    Closer closer_;
};

BOOL CloseVolumeSearch(HANDLE search) { return FindVolumeClose(search); }
BOOL CloseMountPointSearch(HANDLE search) { return FindVolumeMountPointClose(search); }

// The paths the system gives for a volume (drive roots and full mount-folder
// paths); none when it cannot tell.
std::vector<std::string> PathNamesOf(const std::string& volumeName) {
    std::vector<char> names(kNameBufferLength, 0);
    DWORD needed = 0;
    while (!GetVolumePathNamesForVolumeNameA(volumeName.c_str(), names.data(),
                                             static_cast<DWORD>(names.size()), &needed)) {
        if (GetLastError() != ERROR_MORE_DATA || needed <= names.size() || needed > kLargestPathList) {
            return std::vector<std::string>();
        }
        names.assign(needed, 0);
    }
    // Texts separated by zeros, ended by an empty one.
    std::vector<std::string> paths;
    for (const std::string& path : StorageVolEnum::SplitAtChar(names.data(), names.size(), '\0')) {
        if (path.empty()) break;
        paths.push_back(path);
    }
    return paths;
}

// Where the folders mounted on a volume are reached from: its drive root; for
// a volume without one, its first full path (a folder it is mounted in
// itself), else its volume GUID name, the one path Windows gives it then.
std::string FolderPrefix(const std::string& volumeName, const std::string& root) {
    if (!root.empty()) return root;
    const std::vector<std::string> own = PathNamesOf(volumeName);
    return own.empty() ? volumeName : own.front();
}

void AppendMountFolders(const std::string& volumeName, const std::string& root,
                        std::vector<std::string>& paths) {
    char folder[kNameBufferLength] = {};
    SearchHandle search(FindFirstVolumeMountPointA(volumeName.c_str(), folder, kNameBufferLength),
                        CloseMountPointSearch);
    if (!search.IsValid()) return;
    const std::string prefix = FolderPrefix(volumeName, root);
    do {
        paths.push_back(prefix + BufferText(folder, sizeof folder));
    } while (FindNextVolumeMountPointA(search.Get(), folder, kNameBufferLength));
}

// Folders on a ReFS volume are not indexed, so the mount-point search misses
// the volumes mounted there (and so may any other system): every path the
// system gives for a volume that the search did not find is added, after
// the paths found, volume by volume.
void AppendPathNamesNotFound(const std::vector<std::string>& volumeNames, std::vector<std::string>& paths) {
    std::set<std::string> found(paths.begin(), paths.end());
    for (const std::string& volumeName : volumeNames) {
        for (const std::string& path : PathNamesOf(volumeName)) {
            if (found.insert(path).second) paths.push_back(path);
        }
    }
}

}  // namespace

std::vector<std::string> StorageVolEnum::EnumerateVolumePaths() {
    std::vector<std::string> paths;
    try {
        char volumeName[kNameBufferLength] = {};
        std::vector<std::string> volumeNames;
        {
            SearchHandle search(FindFirstVolumeA(volumeName, kNameBufferLength), CloseVolumeSearch);
            const DriveRootMap roots = GetDriveLetterMap();
            if (!search.IsValid()) return paths;
            do {
                const std::string name = BufferText(volumeName, sizeof volumeName);
                volumeNames.push_back(name);
                DriveRootMap::const_iterator root = roots.find(name);
                const std::string rootText = root == roots.end() ? std::string() : root->second;
                paths.push_back(rootText);
                AppendMountFolders(name, rootText, paths);
            } while (FindNextVolumeA(search.Get(), volumeName, kNameBufferLength));
        }
        AppendPathNamesNotFound(volumeNames, paths);
    } catch (const std::exception& e) {
        throw std::runtime_error(e.what());
    }
    return paths;
}

DriveRootMap StorageVolEnum::GetDriveLetterMap() {
    DriveRootMap roots;
    for (const std::string& root : GetDriveRoots()) {
        char volumeName[kNameBufferLength] = {};
        if (GetVolumeNameForVolumeMountPointA(root.c_str(), volumeName, kNameBufferLength)) {
            roots.insert(std::make_pair(BufferText(volumeName, sizeof volumeName), root));
        }
    }
    return roots;
}

std::vector<std::string> StorageVolEnum::GetDriveRoots() {
    std::vector<char> buffer(kDriveStringsLength, 0);
    DWORD answer = GetLogicalDriveStringsA(kDriveStringsLength, buffer.data());
    if (answer > kDriveStringsLength) {
        buffer.assign(answer, 0);
        answer = GetLogicalDriveStringsA(answer, buffer.data());
    }
    if (answer == 0) {
        const DWORD error = GetLastError();
        log->WriteLevel0("Unable to determine the drive letter associated with this volume.");
        log->WriteSystemError(error);
        return std::vector<std::string>();
    }
    // A list that grew between the two calls is cut to what the buffer holds.
    const std::size_t count = answer < buffer.size() ? answer : buffer.size();
    std::vector<std::string> roots = SplitAtChar(buffer.data(), count, '\0');
    log->WriteLevel4("Retrieved the drive letters for the mounted disk drives.");
    return roots;
}

std::vector<std::string> StorageVolEnum::SplitAtChar(const char* buffer, std::size_t count,
                                                     char separator) {
    std::vector<std::string> pieces;
    std::size_t pieceStart = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (buffer[i] != separator) continue;
        pieces.push_back(std::string(buffer + pieceStart, buffer + i));
        pieceStart = i + 1;
    }
    return pieces;
}

}  // namespace strata_col
