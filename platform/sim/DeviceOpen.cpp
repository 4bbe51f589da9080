// Opening storage devices and volumes by name (CreateFileA) and closing them.
#include "platform/sim/PathNames.h"
#include "platform/sim/SimState.h"

using namespace strata_sim;

namespace {

const char kVolumeNamePrefix[] = "\\\\?\\";

// Why a path that names no device or volume cannot be opened: the machine
// holds no files, so the last component is missing when its folder is a
// mount path, and the folder itself is missing otherwise.
DWORD MissingFileError(const PreparedMachine& machine, const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    const std::string folder = path.substr(0, slash + 1);
    return machine.VolumeMountedAt(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

struct Resolution {
    bool found = false;
    OpenObject::Kind kind = OpenObject::Kind::Device;
    std::size_t index = 0;
    DWORD error = ERROR_FILE_NOT_FOUND;
};

Resolution Resolve(const PreparedMachine& machine, const std::string& path) {
    Resolution r;
    if (const std::optional<std::size_t> device = machine.DeviceByName(path)) {
        if (!machine.Description().devices[*device].present) return r;
        r.found = true;
        r.index = *device;
        return r;
    }
    std::string rest;
    const bool deviceNamespace = StripDevicePrefix(path, rest);
    const std::string name = deviceNamespace ? rest : path;
    if (deviceNamespace && name.find('\\') == std::string::npos) {
        // \\.\C: or \\?\Volume{GUID}: the volume itself.
        const std::string mountPath = IsDriveRoot(name + "\\") ? name + "\\" : kVolumeNamePrefix + name + "\\";
        if (const std::optional<std::size_t> volume = machine.VolumeMountedAt(mountPath)) {
            r.found = true;
            r.kind = OpenObject::Kind::Volume;
            r.index = *volume;
        }
        return r;
    }
    // A path into a volume's file system.
    const std::string inVolume = deviceNamespace && IsDriveRoot(name.substr(0, name.find('\\') + 1)) ? name : path;
    const std::optional<std::size_t> holder = machine.VolumeHolding(inVolume);
    if (!holder) {
        r.error = ERROR_PATH_NOT_FOUND;
    } else if (machine.VolumeMountedAt(inVolume)) {
        r.error = ERROR_ACCESS_DENIED;  // a folder, which opens only with backup semantics
    } else if (!machine.Description().volumes[*holder].mediaPresent.value_or(true)) {
        r.error = ERROR_NOT_READY;
    } else if (machine.Description().volumes[*holder].fileSystem.empty()) {
        r.error = ERROR_UNRECOGNIZED_VOLUME;
    } else {
        r.error = MissingFileError(machine, inVolume);
    }
    return r;
}

// Whether what the path reaches has a medium; a path into an empty drive has none.
bool HasMedium(const PreparedMachine& machine, const Resolution& r) {
    if (!r.found) return r.error != ERROR_NOT_READY;
    if (r.kind == OpenObject::Kind::Device) return machine.Description().devices[r.index].mediaPresent;
    return machine.Description().volumes[r.index].mediaPresent.value_or(true);
}

}  // namespace

STRATA_SIM_API HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    (void)shareMode;
    (void)security;
    (void)flagsAndAttributes;
    (void)templateFile;
    SimState& state = State();
    SimCall busy(state);
    if (fileName == nullptr) return FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    const std::string path = fileName;
    const PreparedMachine& machine = *state.machine;
    const Resolution r = Resolve(machine, path);

    std::vector<std::string> subjects = {path};
    if (r.found) {
        const std::vector<std::string> names =
            r.kind == OpenObject::Kind::Device ? machine.DeviceNames(r.index) : machine.VolumeNames(r.index);
        subjects.insert(subjects.end(), names.begin(), names.end());
    }
    DWORD error = 0;
    if (Injected({"CreateFileA", subjects}, error)) return FailWith(error, INVALID_HANDLE_VALUE);
    NoteMediaAccess(HasMedium(machine, r), "CreateFileA", path);
    if (desiredAccess & GENERIC_WRITE) NoteWriteRequest("CreateFileA", path);
    if (!r.found) return FailWith(r.error, INVALID_HANDLE_VALUE);
    // Nothing is ever created or truncated here.
    if (creationDisposition != OPEN_EXISTING && creationDisposition != OPEN_ALWAYS) {
        return FailWith(creationDisposition == CREATE_NEW ? DWORD(ERROR_FILE_EXISTS) : DWORD(ERROR_ACCESS_DENIED),
                        INVALID_HANDLE_VALUE);
    }
    OpenObject object;
    object.machine = state.machine;
    object.kind = r.kind;
    object.index = r.index;
    return state.openObjects.Add(object);
}

STRATA_SIM_API BOOL CloseHandle(HANDLE handle) {
    SimState& state = State();
    SimCall busy(state);
    OpenObject* object = state.openObjects.Find(handle);
    if (object == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    std::vector<std::string> subjects = object->kind == OpenObject::Kind::Device
                                            ? object->machine->DeviceNames(object->index)
                                            : object->machine->VolumeNames(object->index);
    state.openObjects.Remove(handle);
    // An injected failure is reported after the handle is closed, so it leaves nothing open.
    DWORD error = 0;
    if (Injected({"CloseHandle", subjects}, error)) return FailWith(error, FALSE);
    return TRUE;
}
