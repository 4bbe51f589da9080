#include "tools/strata-capture/SystemNames.h"

#include "platform/win32.h"

#if !defined(_WIN32)
#include "platform/sim/SimMachine.h"
#endif

#include <stdexcept>

namespace strata_capture {

namespace {

std::string ComputerName() {
#if defined(_WIN32)
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
#else
    return strata_sim::MachineName();
#endif
}

}  // namespace

void DescribeSystem(Json& machine, CaptureLog& log) {
    const std::string name = ComputerName();
    if (!name.empty()) machine["name"] = name;
    char folder[MAX_PATH + 1] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length != 0 && length < MAX_PATH) {
        machine["systemDirectory"] = std::string(folder, length);
    } else {
        log.Fail(RecordedFailure{"GetSystemDirectoryA", 0, "", GetLastError(), -1});
    }
    length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length != 0 && length < MAX_PATH) {
        machine["windowsDirectory"] = std::string(folder, length);
    } else {
        log.Fail(RecordedFailure{"GetWindowsDirectoryA", 0, "", GetLastError(), -1});
    }
}

#if defined(_WIN32)
bool ChoosesMachine() { return false; }
void LoadMachine(const std::string&) { throw std::runtime_error("--machine is for the simulated machine only"); }
#else
bool ChoosesMachine() { return true; }
void LoadMachine(const std::string& description) { strata_sim::LoadMachineFile(description); }
#endif

}  // namespace strata_capture
