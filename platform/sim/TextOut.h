// Copying names into callers' fixed-size character buffers.
#ifndef STRATA_PLATFORM_SIM_TEXTOUT_H
#define STRATA_PLATFORM_SIM_TEXTOUT_H

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace strata_sim {

// The text and its terminator, when they fit in length characters.
inline bool CopyText(const std::string& text, LPSTR buffer, DWORD length) {
    if (buffer == nullptr || length < text.size() + 1) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace strata_sim

#endif
