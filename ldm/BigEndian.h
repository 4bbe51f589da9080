// Bounds-checked big-endian reads and zero-terminated text from byte buffers.
#ifndef STRATA_LDM_BIGENDIAN_H
#define STRATA_LDM_BIGENDIAN_H

#include <boost/endian/conversion.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace strata_col {

// The unsigned number in the `width` (0 to 8) bytes at `data`, in the byte
// order given; 0 for width 0. The caller has checked the bytes lie inside.
template <boost::endian::order Order>
std::uint64_t LoadUnsigned(const unsigned char* data, std::size_t width) {
    using boost::endian::endian_load;
    switch (width) {
        case 1: return endian_load<std::uint64_t, 1, Order>(data);
        case 2: return endian_load<std::uint64_t, 2, Order>(data);
        case 3: return endian_load<std::uint64_t, 3, Order>(data);
        case 4: return endian_load<std::uint64_t, 4, Order>(data);
        case 5: return endian_load<std::uint64_t, 5, Order>(data);
        case 6: return endian_load<std::uint64_t, 6, Order>(data);
        case 7: return endian_load<std::uint64_t, 7, Order>(data);
        case 8: return endian_load<std::uint64_t, 8, Order>(data);
        default: return 0;
    }
}

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
    value = LoadUnsigned<boost::endian::order::big>(data + offset, width);
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
