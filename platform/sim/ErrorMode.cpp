// The process error mode: process state, kept across machines.
#include "platform/sim/SimState.h"

STRATA_SIM_API UINT SetErrorMode(UINT mode) { return strata_sim::State().errorMode.exchange(mode); }

STRATA_SIM_API UINT GetErrorMode(void) { return strata_sim::State().errorMode.load(); }
