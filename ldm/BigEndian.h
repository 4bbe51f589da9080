// Bounds-checked big-endian reads and zero-terminated text from byte buffers.
#ifndef STRATA_LDM_BIGENDIAN_H
#define STRATA_LDM_BIGENDIAN_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace strata_col {

// True when [offset, offset + width) lies inside a buffer of `size` bytes.
inline bool RangeInside(std::size_t size, std::size_t offset, std::size_t width) {
    return offset <= size && width <= size - offset;
}

// Reads `width` (at most 8) bytes at `offset` as an unsigned big-endian
// number; false, leaving `value` alone, when they do not lie in the buffer.
inline bool ReadBigEndian(const unsigned char* data, std::size_t size, std::size_t offset,
                          std::size_t width, std::uint64_t& value) {
    if (width > 8 || !RangeInside(size, offset, width)) {
        return false;
    }
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < width; ++i) {
        result = (result << 8) | data[offset + i];
    }
    value = result;
    return true;
}

inline bool ReadBigEndian32(const unsigned char* data, std::size_t size, std::size_t offset,
                            std::uint32_t& value) {
    std::uint64_t wide = 0;
    if (!ReadBigEndian(data, size, offset, 4, wide)) {
        return false;
    }
    value = static_cast<std::uint32_t>(wide);
    return true;
}

inline bool ReadBigEndian64(const unsigned char* data, std::size_t size, std::size_t offset,
                            std::uint64_t& value) {
    return ReadBigEndian(data, size, offset, 8, value);
}

// The characters of the field [offset, offset + width) up to its first zero
// byte; the part of the field outside the buffer is not read.
inline std::string ZeroTerminatedText(const unsigned char* data, std::size_t size,
                                      std::size_t offset, std::size_t width) {
    std::string text;
    for (std::size_t i = 0; i < width && offset + i < size && offset <= size; ++i) {
        const unsigned char c = data[offset + i];
        if (c == 0) {
            break;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

}  // namespace strata_col

#endif
