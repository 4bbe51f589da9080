// The C run-time's low-level file access on raw drives: read-only opens,
// 64- and 32-bit seeks, sector-aligned reads, and the text-mode translation
// a drive opened without _O_BINARY gets.
#include "platform/sim/SimState.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

using namespace strata_sim;

namespace {

const int kFirstDescriptor = 3;  // 0 to 2 are the standard streams
const int kWriteFlags = _O_WRONLY | _O_RDWR | _O_APPEND | _O_CREAT | _O_TRUNC;
const char kCtrlZ = 0x1A;
const __int64 kLongMax = 0x7FFFFFFF;  // long is 32 bits on Windows

// errno for a Win32 code, as the C run-time maps them.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_ACCESS_DENIED: return EACCES;
        case ERROR_INVALID_HANDLE: return EBADF;
        case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
        default: return EINVAL;
    }
}

template <class T>
T CrtFail(DWORD error, T value) {
    SetLastError(error);
    errno = ErrnoOf(error);
    return value;
}

template <class T>
T BadDescriptor(T value) {
    errno = EBADF;
    return value;
}

int FreeDescriptor(const std::map<int, RawFile>& files) {
    int fd = kFirstDescriptor;
    for (const auto& entry : files) {
        if (entry.first != fd) break;
        ++fd;
    }
    return fd;
}

const Device& DeviceOf(const RawFile& file) { return file.machine->Description().devices[file.device]; }

bool InjectedOn(const char* call, const RawFile& file, DWORD& error) {
    return Injected({call, file.machine->DeviceNames(file.device)}, error);
}

__int64 Seek(int fd, __int64 offset, int origin, __int64 limit, const char* call) {
    SimState& state = State();
    SimCall busy(state);
    auto it = state.rawFiles.find(fd);
    if (it == state.rawFiles.end()) return BadDescriptor<__int64>(-1);
    RawFile& file = it->second;
    DWORD error = 0;
    if (InjectedOn(call, file, error)) return CrtFail<__int64>(error, -1);
    __int64 base = 0;
    switch (origin) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = file.position; break;
        case SEEK_END: base = 0; break;  // a drive has no file size, as on Windows
        default: return CrtFail<__int64>(ERROR_INVALID_PARAMETER, -1);
    }
    if ((offset > 0 && base > LLONG_MAX - offset) || base + offset < 0 || base + offset > limit) {
        return CrtFail<__int64>(ERROR_INVALID_PARAMETER, -1);
    }
    file.position = base + offset;
    file.atCtrlZ = false;
    return file.position;
}

// Text mode: CR LF becomes LF and Ctrl-Z ends the data. Returns the bytes kept.
int TranslateText(RawFile& file, char* data, int count) {
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (data[i] == kCtrlZ) {
            file.atCtrlZ = true;
            break;
        }
        if (data[i] == '\r' && i + 1 < count && data[i + 1] == '\n') continue;
        data[kept++] = data[i];
    }
    return kept;
}

}  // namespace

STRATA_SIM_API int _open(const char* path, int flags, ...) {
    SimState& state = State();
    SimCall busy(state);
    if (path == nullptr) return CrtFail(ERROR_INVALID_PARAMETER, -1);
    const PreparedMachine& machine = *state.machine;
    const std::optional<std::size_t> device = machine.DeviceByName(path);
    std::vector<std::string> subjects = {path};
    if (device) {
        const std::vector<std::string>& names = machine.DeviceNames(*device);
        subjects.insert(subjects.end(), names.begin(), names.end());
    }
    DWORD error = 0;
    if (Injected({"_open", subjects}, error)) return CrtFail(error, -1);
    // Drives are only ever read.
    if (flags & kWriteFlags) return CrtFail(ERROR_ACCESS_DENIED, -1);
    if (!device || !machine.Description().devices[*device].present) return CrtFail(ERROR_FILE_NOT_FOUND, -1);
    NoteMediaAccess(machine.Description().devices[*device].mediaPresent, "_open", path);

    RawFile file;
    file.machine = state.machine;
    file.device = *device;
    file.textMode = (flags & _O_BINARY) == 0;
    const Device& d = machine.Description().devices[*device];
    if (!d.image.empty()) {
        std::string why;
        file.image = state.images.Get(d.image, why);
        if (!file.image) {
            std::fprintf(stderr, "strata-sim: cannot open image %s: %s\n", d.image.c_str(), why.c_str());
            return CrtFail(ERROR_GEN_FAILURE, -1);
        }
    }
    const int fd = FreeDescriptor(state.rawFiles);
    state.rawFiles.emplace(fd, file);
    return fd;
}

STRATA_SIM_API __int64 _lseeki64(int fd, __int64 offset, int origin) {
    return Seek(fd, offset, origin, LLONG_MAX, "_lseeki64");
}

STRATA_SIM_API long _lseek(int fd, long offset, int origin) {
    if (offset > kLongMax || offset < -kLongMax - 1) return CrtFail(ERROR_INVALID_PARAMETER, -1L);
    return static_cast<long>(Seek(fd, offset, origin, kLongMax, "_lseek"));
}

STRATA_SIM_API int _read(int fd, void* buffer, unsigned int count) {
    SimState& state = State();
    SimCall busy(state);
    auto it = state.rawFiles.find(fd);
    if (it == state.rawFiles.end()) return BadDescriptor(-1);
    RawFile& file = it->second;
    if (buffer == nullptr || count > INT_MAX) return CrtFail(ERROR_INVALID_PARAMETER, -1);
    DWORD error = 0;
    if (InjectedOn("_read", file, error)) return CrtFail(error, -1);
    const Device& device = DeviceOf(file);
    if (device.interfaceClass == InterfaceClass::Tape) return CrtFail(ERROR_INVALID_FUNCTION, -1);
    NoteMediaAccess(device.mediaPresent, "_read", device.devicePath);
    if (!device.mediaPresent) return CrtFail(ERROR_NOT_READY, -1);
    if (count == 0 || (file.textMode && file.atCtrlZ)) return 0;
    // A raw drive reads whole sectors only.
    const std::uint32_t sector = device.geometry.bytesPerSector.value_or(512);
    if (file.position % sector != 0 || count % sector != 0) return CrtFail(ERROR_INVALID_PARAMETER, -1);
    const std::int64_t length = device.length.value_or(0);
    if (file.position >= length) return 0;
    // A read that would run past the end of the drive reads nothing, as on
    // Windows: there is no short count to fall back on.
    if (static_cast<std::int64_t>(count) > length - file.position) return CrtFail(ERROR_SECTOR_NOT_FOUND, -1);
    const int wanted = static_cast<int>(count);
    if (file.image) {
        if (!file.image->ReadAt(file.position, buffer, static_cast<std::size_t>(wanted))) {
            return CrtFail(ERROR_CRC, -1);
        }
    } else {
        std::memset(buffer, 0, static_cast<std::size_t>(wanted));
    }
    file.position += wanted;
    if (file.textMode) return TranslateText(file, static_cast<char*>(buffer), wanted);
    return wanted;
}

STRATA_SIM_API int _close(int fd) {
    SimState& state = State();
    SimCall busy(state);
    auto it = state.rawFiles.find(fd);
    if (it == state.rawFiles.end()) return BadDescriptor(-1);
    const RawFile file = it->second;
    state.rawFiles.erase(it);
    // An injected failure is reported after the descriptor is closed, so it leaves nothing open.
    DWORD error = 0;
    if (InjectedOn("_close", file, error)) return CrtFail(error, -1);
    return 0;
}
