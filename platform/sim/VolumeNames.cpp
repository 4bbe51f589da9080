// Drive roots, mount points and the volumes behind them.
#include "platform/sim/PathNames.h"
#include "platform/sim/SimState.h"
#include "platform/sim/TextOut.h"

#include <algorithm>

using namespace strata_sim;

namespace {

// Windows lists drive roots by letter; longer roots follow the letters.
bool RootOrder(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return UpperText(a) < UpperText(b);
}

}  // namespace

STRATA_SIM_API BOOL GetVolumeNameForVolumeMountPointA(LPCSTR mountPoint, LPSTR volumeName, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    if (mountPoint == nullptr) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    const std::string path = mountPoint;
    const PreparedMachine& machine = *state.machine;
    const std::optional<std::size_t> volume = machine.VolumeMountedAt(path);
    DWORD error = 0;
    if (Injected({"GetVolumeNameForVolumeMountPointA", machine.PathNames(path, volume)}, error)) {
        return FailWith(error, FALSE);
    }
    if (path.empty() || path.back() != '\\') return FailWith(ERROR_INVALID_NAME, FALSE);
    if (!volume) {
        // A folder of a volume that is no mount point, or a path on no volume.
        return FailWith(machine.VolumeHolding(path) ? DWORD(ERROR_NOT_A_REPARSE_POINT) : DWORD(ERROR_FILE_NOT_FOUND),
                        FALSE);
    }
    if (!CopyText(machine.Description().volumes[*volume].guidName, volumeName, length)) {
        return FailWith(ERROR_FILENAME_EXCED_RANGE, FALSE);
    }
    return TRUE;
}

STRATA_SIM_API BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPSTR pathNames, DWORD length,
                                                     PDWORD returnLength) {
    SimState& state = State();
    SimCall busy(state);
    if (volumeName == nullptr) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    const std::string name = volumeName;
    const PreparedMachine& machine = *state.machine;
    const std::optional<std::size_t> volume = IsVolumeGuidName(name) ? machine.VolumeMountedAt(name) : std::nullopt;
    DWORD error = 0;
    if (Injected({"GetVolumePathNamesForVolumeNameA", machine.PathNames(name, volume)}, error)) {
        return FailWith(error, FALSE);
    }
    if (!IsVolumeGuidName(name)) return FailWith(ERROR_INVALID_NAME, FALSE);
    if (!volume) return FailWith(ERROR_FILE_NOT_FOUND, FALSE);
    // Each path with its terminator, then one more terminator.
    std::string list;
    for (const std::string& path : machine.FullPaths(*volume)) {
        list += path;
        list += '\0';
    }
    list += '\0';
    const DWORD needed = static_cast<DWORD>(list.size());
    if (returnLength != nullptr) *returnLength = needed;
    if (pathNames == nullptr || length < needed) return FailWith(ERROR_MORE_DATA, FALSE);
    std::copy(list.begin(), list.end(), pathNames);
    return TRUE;
}

STRATA_SIM_API DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer) {
    SimState& state = State();
    SimCall busy(state);
    DWORD error = 0;
    if (Injected({"GetLogicalDriveStringsA", {}}, error)) return FailWith(error, DWORD(0));
    std::vector<std::string> roots;
    for (const Volume& volume : state.machine->Description().volumes) {
        roots.insert(roots.end(), volume.roots.begin(), volume.roots.end());
    }
    std::sort(roots.begin(), roots.end(), RootOrder);
    std::string list;
    for (const std::string& root : roots) {
        list += root;
        list += '\0';
    }
    // The answer counts the characters without the final terminator, or,
    // when they do not fit, the size of the buffer needed.
    const DWORD count = static_cast<DWORD>(list.size());
    if (buffer == nullptr || length < count + 1) return count + 1;
    std::copy(list.begin(), list.end(), buffer);
    buffer[count] = '\0';
    return count;
}

STRATA_SIM_API UINT GetDriveTypeA(LPCSTR rootPath) {
    SimState& state = State();
    SimCall busy(state);
    const PreparedMachine& machine = *state.machine;
    // No path: the root of the current directory, taken to be the system volume.
    std::optional<std::size_t> volume;
    std::string path;
    if (rootPath == nullptr) {
        std::string mountPath;
        volume = machine.VolumeHolding(machine.Description().systemDirectory, &mountPath);
        path = mountPath;
    } else {
        path = rootPath;
        volume = machine.VolumeMountedAt(WithBackslash(path));
    }
    DWORD error = 0;
    if (Injected({"GetDriveTypeA", machine.PathNames(path, volume)}, error)) return FailWith(error, UINT(DRIVE_UNKNOWN));
    if (!volume) return DRIVE_NO_ROOT_DIR;
    return machine.Description().volumes[*volume].driveType;
}
