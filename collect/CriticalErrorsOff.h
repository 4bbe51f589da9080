// Keeps the system's critical-error dialog off for a scope and restores the
// error mode that was set. Drives without a medium (an empty card-reader
// slot) can be reached after an enumerator has cleared the mode; on a desktop
// such an access could stop the caller at a modal "no disk in drive" dialog.
#ifndef STRATA_COLLECT_CRITICALERRORSOFF_H
#define STRATA_COLLECT_CRITICALERRORSOFF_H

#include "platform/win32.h"

namespace strata_col {

class CriticalErrorsOff {
public:
    CriticalErrorsOff() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~CriticalErrorsOff() { SetErrorMode(previous_); }
    CriticalErrorsOff(const CriticalErrorsOff&) = delete;
    CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

private:
    UINT previous_;
};

}  // namespace strata_col

#endif
