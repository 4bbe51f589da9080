// The sector sizes strata-ldm reads and writes: powers of two from 512 to
// 65536 bytes. A private header needs the first 512 bytes of a sector.
#ifndef STRATA_TOOLS_SECTORSIZE_H
#define STRATA_TOOLS_SECTORSIZE_H

#include <cstdint>

namespace strata_tools {

const std::uint32_t kMinSectorSize = 512;
const std::uint32_t kMaxSectorSize = 65536;

inline bool IsSectorSize(std::uint64_t bytes) {
    return bytes >= kMinSectorSize && bytes <= kMaxSectorSize && (bytes & (bytes - 1)) == 0;
}

}  // namespace strata_tools

#endif
