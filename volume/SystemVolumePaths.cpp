// Mount points of the volumes that hold the system and Windows directories.
#include "volume/StorageVolEnum.h"

#include "platform/win32.h"
#include "collect/BufferText.h"

#include <vector>

namespace strata_col {

namespace {

typedef UINT (*DirectoryQuery)(LPSTR buffer, UINT size);

UINT AskSystemDirectory(LPSTR buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }
UINT AskWindowsDirectory(LPSTR buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); }

std::string Directory(DirectoryQuery query) {
    std::vector<char> buffer(MAX_PATH, 0);
    UINT answer = query(buffer.data(), MAX_PATH);
    if (answer > MAX_PATH) {
        buffer.assign(answer, 0);
        answer = query(buffer.data(), answer);
    }
    if (answer == 0) return std::string();
    return BufferText(buffer.data(), buffer.size());
}

std::string MountPointOf(const std::string& directory) {
    if (directory.empty()) return std::string();
    // The mount point is never longer than the directory; one more character
    // holds the terminator for a directory that is itself a root.
    std::vector<char> mountPoint(directory.size() + 1, 0);
    if (!GetVolumePathNameA(directory.c_str(), mountPoint.data(),
                            static_cast<DWORD>(mountPoint.size()))) {
        return std::string();
    }
    return BufferText(mountPoint.data(), mountPoint.size());
}

}  // namespace

std::string StorageVolEnum::GetSystemVolumePath() {
    return MountPointOf(Directory(AskSystemDirectory));
}

std::string StorageVolEnum::GetBootVolumePath() {
    return MountPointOf(Directory(AskWindowsDirectory));
}

}  // namespace strata_col
