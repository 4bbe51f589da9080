#include "host/SystemName.h"

#include <mutex>

#ifdef _WIN32
#include <windows.h>
// The host interfaces have an operation of this name; the SDK maps it to
// GetClassNameA (a unit may join this file with others that use it).
#undef GetClassName
#else
#include <unistd.h>

// The simulated machine's name (platform/sim/SimMachine.h). Referenced weakly:
// telvacore does not need the simulated machine, but uses its name whenever
// the process has one.
namespace strata_sim {
std::string MachineName() __attribute__((weak));
}
#endif

namespace telva_host {

namespace {

std::mutex g_systemNameMutex;
std::string g_chosenName;

std::string MachineName() {
#ifdef _WIN32
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (GetComputerNameA(name, &size)) return std::string(name, size);
#else
    if (&strata_sim::MachineName != nullptr) {
        const std::string simulated = strata_sim::MachineName();
        if (!simulated.empty()) return simulated;
    }
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) return name;
#endif
    return "localhost";
}

}  // namespace

void SetSystemName(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_systemNameMutex);
    g_chosenName = name;
}

std::string SystemName() {
    {
        std::lock_guard<std::mutex> lock(g_systemNameMutex);
        if (!g_chosenName.empty()) return g_chosenName;
    }
    return MachineName();
}

}  // namespace telva_host
