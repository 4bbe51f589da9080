// Decides which calls fail on purpose, and with which error code.
#ifndef STRATA_PLATFORM_SIM_FAILUREINJECTOR_H
#define STRATA_PLATFORM_SIM_FAILUREINJECTOR_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/MachineModel.h"

namespace strata_sim {

// Whether failures can be injected into a function of this name.
bool IsKnownCall(const std::string& name);

// One call as the injector sees it.
struct CallSite {
    const char* call;
    std::vector<std::string> subjects;  // names of the object the call works on
    std::uint32_t controlCode = 0;
    std::int64_t index = -1;
};

class FailureInjector {
public:
    void Install(const std::vector<Failure>& failures);
    // True when the call is to fail; error then holds the code. Every
    // matching call counts towards a failure's n-th call.
    bool ShouldFail(const CallSite& site, std::uint32_t& error);

private:
    static bool Matches(const Failure& failure, const CallSite& site);

    std::vector<Failure> failures_;
    std::vector<std::uint32_t> seen_;
};

}  // namespace strata_sim

#endif
