// What a volume says about itself: file system, label, free space, and
// which volume a path lies on.
#include "platform/sim/PathNames.h"
#include "platform/sim/SimState.h"
#include "platform/sim/TextOut.h"

using namespace strata_sim;

namespace {

// A null path means the current directory, taken to be on the system volume.
std::string PathOrCurrent(const PreparedMachine& machine, LPCSTR path) {
    if (path != nullptr) return path;
    std::string mountPath;
    machine.VolumeHolding(machine.Description().systemDirectory, &mountPath);
    return mountPath;
}

// Why the file system of a volume cannot be read, or ERROR_SUCCESS.
DWORD FileSystemError(const Volume& volume, const char* call, const std::string& path) {
    NoteMediaAccess(volume.mediaPresent.value_or(true), call, path);
    if (!volume.mediaPresent.value_or(true)) return ERROR_NOT_READY;
    if (volume.fileSystem.empty()) return ERROR_UNRECOGNIZED_VOLUME;
    return ERROR_SUCCESS;
}

UINT DirectoryAnswer(const char* call, const std::string& directory, LPSTR buffer, UINT size) {
    DWORD error = 0;
    if (Injected({call, {}}, error)) return FailWith(error, UINT(0));
    // The length without the terminator, or the size needed with it.
    const UINT length = static_cast<UINT>(directory.size());
    if (!CopyText(directory, buffer, size)) return length + 1;
    return length;
}

}  // namespace

STRATA_SIM_API BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                                          LPDWORD serialNumber, LPDWORD maxComponentLength, LPDWORD fileSystemFlags,
                                          LPSTR fileSystemName, DWORD fileSystemNameSize) {
    SimState& state = State();
    SimCall busy(state);
    const PreparedMachine& machine = *state.machine;
    const std::string root = PathOrCurrent(machine, rootPath);
    const std::optional<std::size_t> volume = machine.VolumeMountedAt(root);
    DWORD error = 0;
    if (Injected({"GetVolumeInformationA", machine.PathNames(root, volume)}, error)) return FailWith(error, FALSE);
    if (root.empty() || root.back() != '\\') return FailWith(ERROR_INVALID_NAME, FALSE);
    if (!volume) {
        return FailWith(machine.VolumeHolding(root) ? DWORD(ERROR_DIR_NOT_ROOT) : DWORD(ERROR_PATH_NOT_FOUND), FALSE);
    }
    const Volume& v = machine.Description().volumes[*volume];
    error = FileSystemError(v, "GetVolumeInformationA", root);
    if (error != ERROR_SUCCESS) return FailWith(error, FALSE);
    if (volumeName != nullptr && !CopyText(v.label, volumeName, volumeNameSize)) {
        return FailWith(ERROR_BAD_LENGTH, FALSE);
    }
    if (fileSystemName != nullptr && !CopyText(v.fileSystem, fileSystemName, fileSystemNameSize)) {
        return FailWith(ERROR_BAD_LENGTH, FALSE);
    }
    if (serialNumber != nullptr) *serialNumber = v.serialNumber;
    if (maxComponentLength != nullptr) *maxComponentLength = v.maxComponentLength;
    if (fileSystemFlags != nullptr) *fileSystemFlags = v.fileSystemFlags.value_or(0);
    return TRUE;
}

STRATA_SIM_API BOOL GetDiskFreeSpaceExA(LPCSTR directory, PULARGE_INTEGER freeBytesAvailable,
                                        PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes) {
    SimState& state = State();
    SimCall busy(state);
    const PreparedMachine& machine = *state.machine;
    const std::string path = PathOrCurrent(machine, directory);
    // Any folder counts; a mount folder and what lies below it are on the mounted volume.
    const std::optional<std::size_t> volume = machine.VolumeHolding(path);
    DWORD error = 0;
    if (Injected({"GetDiskFreeSpaceExA", machine.PathNames(path, volume)}, error)) return FailWith(error, FALSE);
    if (!volume) return FailWith(ERROR_PATH_NOT_FOUND, FALSE);
    const Volume& v = machine.Description().volumes[*volume];
    error = FileSystemError(v, "GetDiskFreeSpaceExA", path);
    if (error != ERROR_SUCCESS) return FailWith(error, FALSE);
    if (freeBytesAvailable != nullptr) freeBytesAvailable->QuadPart = v.freeBytes;
    if (totalBytes != nullptr) totalBytes->QuadPart = v.totalBytes.value_or(0);
    if (totalFreeBytes != nullptr) totalFreeBytes->QuadPart = v.totalFreeBytes.value_or(v.freeBytes);
    return TRUE;
}

STRATA_SIM_API BOOL GetVolumePathNameA(LPCSTR fileName, LPSTR volumePath, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    if (fileName == nullptr) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    const PreparedMachine& machine = *state.machine;
    const std::string path = fileName;
    std::string mountPath;
    const std::optional<std::size_t> volume = machine.VolumeHolding(path, &mountPath);
    DWORD error = 0;
    if (Injected({"GetVolumePathNameA", machine.PathNames(path, volume)}, error)) return FailWith(error, FALSE);
    if (!volume) return FailWith(ERROR_PATH_NOT_FOUND, FALSE);
    if (!CopyText(mountPath, volumePath, length)) return FailWith(ERROR_FILENAME_EXCED_RANGE, FALSE);
    return TRUE;
}

STRATA_SIM_API UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    SimState& state = State();
    SimCall busy(state);
    return DirectoryAnswer("GetSystemDirectoryA", state.machine->Description().systemDirectory, buffer, size);
}

STRATA_SIM_API UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    SimState& state = State();
    SimCall busy(state);
    return DirectoryAnswer("GetWindowsDirectoryA", state.machine->Description().windowsDirectory, buffer, size);
}
