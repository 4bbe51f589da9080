// Text out of a fixed character buffer that the system filled.
#ifndef STRATA_COLLECT_BUFFERTEXT_H
#define STRATA_COLLECT_BUFFERTEXT_H

#include <cstddef>
#include <cstring>
#include <string>

namespace strata_col {

// The characters up to the first zero, or the whole buffer when the system
// left it unterminated.
inline std::string BufferText(const char* buffer, std::size_t size) {
    const void* end = std::memchr(buffer, 0, size);
    return std::string(buffer, end ? static_cast<const char*>(end) - buffer : size);
}

}  // namespace strata_col

#endif
