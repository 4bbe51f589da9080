// Bounds-checked little-endian reads from byte buffers, for the structures
// that store their numbers that way (the GUID partition table).
#ifndef STRATA_LDM_LITTLEENDIAN_H
#define STRATA_LDM_LITTLEENDIAN_H

#include "ldm/BigEndian.h"

#include <cstddef>
#include <cstdint>

namespace strata_col {

// Reads `width` (at most 8) bytes at `offset` as an unsigned little-endian
// number; false, leaving `value` alone, when they do not lie in the buffer.
inline bool ReadLittleEndian(const unsigned char* data, std::size_t size, std::size_t offset,
                             std::size_t width, std::uint64_t& value) {
    if (width > 8 || !RangeInside(size, offset, width)) {
        return false;
    }
    value = LoadUnsigned<boost::endian::order::little>(data + offset, width);
    return true;
}

inline bool ReadLittleEndian16(const unsigned char* data, std::size_t size, std::size_t offset,
                               std::uint16_t& value) {
    std::uint64_t wide = 0;
    if (!ReadLittleEndian(data, size, offset, 2, wide)) {
        return false;
    }
    value = static_cast<std::uint16_t>(wide);
    return true;
}

inline bool ReadLittleEndian32(const unsigned char* data, std::size_t size, std::size_t offset,
                               std::uint32_t& value) {
    std::uint64_t wide = 0;
    if (!ReadLittleEndian(data, size, offset, 4, wide)) {
        return false;
    }
    value = static_cast<std::uint32_t>(wide);
    return true;
}

inline bool ReadLittleEndian64(const unsigned char* data, std::size_t size, std::size_t offset,
                               std::uint64_t& value) {
    return ReadLittleEndian(data, size, offset, 8, value);
}

}  // namespace strata_col

#endif
