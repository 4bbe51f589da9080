// The one simulated machine of the process and everything opened on it.
// Every Win32 entry point takes the lock for the length of the call.
#ifndef STRATA_PLATFORM_SIM_SIMSTATE_H
#define STRATA_PLATFORM_SIM_SIMSTATE_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/FailureInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/ImageFile.h"
#include "platform/sim/OpenImages.h"
#include "platform/sim/PreparedMachine.h"

namespace strata_sim {

using MachinePtr = std::shared_ptr<const PreparedMachine>;

struct DeviceInfoSet {
    MachinePtr machine;
    GUID interfaceClass = {};
    std::vector<std::size_t> devices;     // SetupDiEnumDeviceInfo members
    std::vector<std::size_t> interfaces;  // SetupDiEnumDeviceInterfaces members
};

// A CreateFileA handle: a storage device or a volume.
struct OpenObject {
    enum class Kind { Device, Volume };
    MachinePtr machine;
    Kind kind = Kind::Device;
    std::size_t index = 0;
};

struct NameSearch {
    MachinePtr machine;
    std::vector<std::string> names;  // what the search hands out, in order
    std::size_t next = 0;
    std::vector<std::string> subjects;  // failure targets of the search
};

struct RawFile {
    MachinePtr machine;
    std::size_t device = 0;
    std::shared_ptr<const ImageFile> image;  // null: the device reads as zeros
    std::int64_t position = 0;
    bool textMode = false;
    bool atCtrlZ = false;  // text mode stops at Ctrl-Z until the next seek
};

struct SimState {
    std::mutex mutex;
    MachinePtr machine;
    FailureInjector failures;
    std::vector<std::string> diagnostics;
    HandleTable<DeviceInfoSet> deviceSets;
    HandleTable<OpenObject> openObjects;
    HandleTable<NameSearch> volumeSearches;
    HandleTable<NameSearch> mountPointSearches;
    std::map<int, RawFile> rawFiles;
    OpenImages images;  // of the current machine
    std::atomic<unsigned> errorMode{0};
    std::vector<std::string> dialogRisks;  // "call target" of each risky access
    std::vector<std::string> writeRequests;  // "call target" of each open asking to write
    std::atomic<int> comBalance{0};
    std::atomic<int> liveQuotaObjects{0};
    // Time spent inside the Win32 calls, so that benchmarks can tell the
    // machine's own share of a query from the plug-in's.
    std::atomic<std::int64_t> busyNanoseconds{0};
};

// Never destroyed: module destructors may still call in at process exit.
SimState& State();

// One Win32 call: holds the machine's lock for its duration and adds that
// duration to the machine's busy time.
class SimCall {
public:
    explicit SimCall(SimState& state)
        : state_(state), lock_(state.mutex), start_(std::chrono::steady_clock::now()) {}
    ~SimCall() {
        state_.busyNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::steady_clock::now() - start_).count();
    }
    SimCall(const SimCall&) = delete;
    SimCall& operator=(const SimCall&) = delete;

private:
    SimState& state_;
    std::lock_guard<std::mutex> lock_;
    std::chrono::steady_clock::time_point start_;
};

// Checks the installed failures for a call (caller holds the lock).
bool Injected(const CallSite& site, DWORD& error);

// Notes an open or read of a drive or volume (caller holds the lock): one
// without a medium, reached while the error mode lacks
// SEM_FAILCRITICALERRORS, is where Windows may show its modal "no disk in
// drive" dialog and wait for the user.
void NoteMediaAccess(bool mediaPresent, const char* call, const std::string& target);
// Notes an open that asked for write access (granted or not).
void NoteWriteRequest(const char* call, const std::string& target);

// Sets the thread's last error and returns value, for one-line failure returns.
template <class T>
T FailWith(DWORD error, T value) {
    SetLastError(error);
    return value;
}

}  // namespace strata_sim

#endif
