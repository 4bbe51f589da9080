#include "platform/sim/SimState.h"

namespace strata_sim {

namespace {
// Handles look like the small multiples of four Windows hands out.
const std::uintptr_t kFirstHandle = 0x100;
const std::uintptr_t kHandleStep = 4;
}  // namespace

std::uintptr_t NextHandleValue() {
    static std::atomic<std::uintptr_t> next{kFirstHandle};
    return next.fetch_add(kHandleStep);
}

SimState& State() {
    static SimState* state = [] {
        SimState* s = new SimState();
        s->machine = std::make_shared<const PreparedMachine>(Machine());
        return s;
    }();
    return *state;
}

bool Injected(const CallSite& site, DWORD& error) {
    std::uint32_t code = 0;
    if (!State().failures.ShouldFail(site, code)) return false;
    error = code;
    return true;
}

void NoteMediaAccess(bool mediaPresent, const char* call, const std::string& target) {
    SimState& state = State();
    if (!mediaPresent && (state.errorMode.load() & SEM_FAILCRITICALERRORS) == 0) {
        state.dialogRisks.push_back(std::string(call) + " " + target);
    }
}

void NoteWriteRequest(const char* call, const std::string& target) {
    State().writeRequests.push_back(std::string(call) + " " + target);
}

}  // namespace strata_sim
