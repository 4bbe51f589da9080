// Installing a machine and the counters tests look at.
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimState.h"

#include <cstdio>

namespace strata_sim {

void SetMachine(const Machine& machine) {
    MachinePtr prepared = std::make_shared<const PreparedMachine>(machine);
    for (const std::string& note : prepared->Notes()) {
        std::fprintf(stderr, "strata-sim: %s\n", note.c_str());
    }
    SimState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.machine = prepared;
    state.images.Clear();
    state.failures.Install(prepared->Description().failures);
    state.diagnostics = prepared->Notes();
    state.busyNanoseconds = 0;
    state.dialogRisks.clear();
    state.writeRequests.clear();
}

void ResetMachine() { SetMachine(Machine()); }

Machine CurrentMachine() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().machine->Description();
}

std::string MachineName() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().machine->Description().name;
}

unsigned CurrentErrorMode() { return State().errorMode.load(); }
std::int64_t BusyNanoseconds() { return State().busyNanoseconds.load(); }
int ComBalance() { return State().comBalance.load(); }
int LiveQuotaObjects() { return State().liveQuotaObjects.load(); }

int OpenHandleCount() {
    SimState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return static_cast<int>(state.deviceSets.Size() + state.openObjects.Size() +
                            state.volumeSearches.Size() + state.mountPointSearches.Size());
}

int OpenRawFileCount() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return static_cast<int>(State().rawFiles.size());
}

std::vector<std::string> DialogRisks() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().dialogRisks;
}

std::vector<std::string> WriteRequests() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().writeRequests;
}

std::vector<std::string> Diagnostics() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().diagnostics;
}

}  // namespace strata_sim
