// Walking the volumes and the mount folders on a volume.
#include "platform/sim/PathNames.h"
#include "platform/sim/SimState.h"
#include "platform/sim/TextOut.h"

using namespace strata_sim;

namespace {

// Hands out the next name of a search; false with the error code otherwise.
bool NextName(NameSearch& search, LPSTR buffer, DWORD length, DWORD& error) {
    if (search.next >= search.names.size()) {
        error = ERROR_NO_MORE_FILES;
        return false;
    }
    if (!CopyText(search.names[search.next], buffer, length)) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    ++search.next;
    return true;
}

// Starts a search in a table; INVALID_HANDLE_VALUE and the error when the first name cannot be had.
HANDLE StartSearch(HandleTable<NameSearch>& table, NameSearch search, LPSTR buffer, DWORD length) {
    DWORD error = 0;
    if (!NextName(search, buffer, length, error)) return FailWith(error, INVALID_HANDLE_VALUE);
    return table.Add(search);
}

}  // namespace

STRATA_SIM_API HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    NameSearch search;
    search.machine = state.machine;
    for (const Volume& volume : search.machine->Description().volumes) search.names.push_back(volume.guidName);
    DWORD error = 0;
    const std::vector<std::string> subjects =
        search.names.empty() ? std::vector<std::string>() : state.machine->VolumeNames(0);
    if (Injected({"FindFirstVolumeA", subjects}, error)) return FailWith(error, INVALID_HANDLE_VALUE);
    return StartSearch(state.volumeSearches, search, volumeName, length);
}

STRATA_SIM_API BOOL FindNextVolumeA(HANDLE handle, LPSTR volumeName, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    NameSearch* search = state.volumeSearches.Find(handle);
    if (search == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    DWORD error = 0;
    const std::vector<std::string> subjects = search->next < search->names.size()
                                                  ? search->machine->VolumeNames(search->next)
                                                  : std::vector<std::string>();
    if (Injected({"FindNextVolumeA", subjects}, error)) return FailWith(error, FALSE);
    if (!NextName(*search, volumeName, length, error)) return FailWith(error, FALSE);
    return TRUE;
}

STRATA_SIM_API BOOL FindVolumeClose(HANDLE handle) {
    SimState& state = State();
    SimCall busy(state);
    if (!state.volumeSearches.Remove(handle)) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    DWORD error = 0;
    if (Injected({"FindVolumeClose", {}}, error)) return FailWith(error, FALSE);
    return TRUE;
}

STRATA_SIM_API HANDLE FindFirstVolumeMountPointA(LPCSTR rootPath, LPSTR mountPoint, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    if (rootPath == nullptr) return FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    const std::string root = rootPath;
    const PreparedMachine& machine = *state.machine;
    const std::optional<std::size_t> volume = machine.VolumeMountedAt(root);
    NameSearch search;
    search.machine = state.machine;
    search.subjects = machine.PathNames(root, volume);
    DWORD error = 0;
    if (Injected({"FindFirstVolumeMountPointA", search.subjects}, error)) {
        return FailWith(error, INVALID_HANDLE_VALUE);
    }
    if (root.empty() || root.back() != '\\') return FailWith(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);
    if (!volume) return FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    const Volume& v = machine.Description().volumes[*volume];
    NoteMediaAccess(v.mediaPresent.value_or(true), "FindFirstVolumeMountPointA", root);
    if (!v.mediaPresent.value_or(true)) return FailWith(ERROR_NOT_READY, INVALID_HANDLE_VALUE);
    if (v.fileSystem.empty()) return FailWith(ERROR_UNRECOGNIZED_VOLUME, INVALID_HANDLE_VALUE);
    // ReFS keeps no index of the mount points on it: the search finds none.
    if (!EqualNoCase(v.fileSystem, "ReFS")) search.names = machine.MountFoldersOn(*volume);
    return StartSearch(state.mountPointSearches, search, mountPoint, length);
}

STRATA_SIM_API BOOL FindNextVolumeMountPointA(HANDLE handle, LPSTR mountPoint, DWORD length) {
    SimState& state = State();
    SimCall busy(state);
    NameSearch* search = state.mountPointSearches.Find(handle);
    if (search == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    DWORD error = 0;
    if (Injected({"FindNextVolumeMountPointA", search->subjects}, error)) return FailWith(error, FALSE);
    if (!NextName(*search, mountPoint, length, error)) return FailWith(error, FALSE);
    return TRUE;
}

STRATA_SIM_API BOOL FindVolumeMountPointClose(HANDLE handle) {
    SimState& state = State();
    SimCall busy(state);
    if (!state.mountPointSearches.Remove(handle)) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    DWORD error = 0;
    if (Injected({"FindVolumeMountPointClose", {}}, error)) return FailWith(error, FALSE);
    return TRUE;
}
