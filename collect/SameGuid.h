// GUID equality, for the interface-class and partition-type GUIDs.
#ifndef STRATA_COLLECT_SAMEGUID_H
#define STRATA_COLLECT_SAMEGUID_H

#include "platform/win32.h"

#include <cstring>

namespace strata_col {

inline bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

}  // namespace strata_col

#endif
