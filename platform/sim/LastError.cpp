// The per-thread last error of the Win32 calls.
#include "platform/win32.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}  // namespace

STRATA_SIM_API DWORD GetLastError(void) { return t_lastError; }

STRATA_SIM_API void SetLastError(DWORD code) { t_lastError = code; }
