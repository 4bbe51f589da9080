// Per-thread last error and the process error mode.
#include "platform/sim/SimState.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}  // namespace

STRATA_SIM_API DWORD GetLastError(void) { return t_lastError; }

STRATA_SIM_API void SetLastError(DWORD code) { t_lastError = code; }

STRATA_SIM_API UINT SetErrorMode(UINT mode) { return strata_sim::State().errorMode.exchange(mode); }

STRATA_SIM_API UINT GetErrorMode(void) { return strata_sim::State().errorMode.load(); }
