// Keeps the system's critical-error dialog off for a scope: adds
// SEM_FAILCRITICALERRORS to the error mode in force and restores exactly that
// mode when the scope ends. The mode belongs to the whole process, so the
// host's own flags (SEM_NOGPFAULTERRORBOX, SEM_NOOPENFILEERRORBOX, ...) are
// kept and come back as they were. Nested scopes restore in turn.
#ifndef STRATA_COLLECT_CRITICALERRORSOFF_H
#define STRATA_COLLECT_CRITICALERRORSOFF_H

#include "platform/win32.h"

namespace strata_col {

class CriticalErrorsOff {
public:
    CriticalErrorsOff() : previous_(GetErrorMode()) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS); }
    ~CriticalErrorsOff() { SetErrorMode(previous_); }
    CriticalErrorsOff(const CriticalErrorsOff&) = delete;
    CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

private:
    UINT previous_;
};

}  // namespace strata_col

#endif
