// The unit of the dynamic-disk database's sector fields, and the one place
// where they become bytes and back.
//
// Partition Start and Size, volume Size and the private header's data-region
// start and database area count sectors of the drive's own size: 512 bytes
// on most disks, 4096 on 4Kn disks (Windows' volume extents and drive layout
// count bytes). The table of contents alone places the VMDB in 512-byte
// units, whatever the sector size (ldm/LdmLayout.h).
#ifndef STRATA_LDM_DRIVESECTORS_H
#define STRATA_LDM_DRIVESECTORS_H

#include <cstdint>
#include <limits>

namespace strata_col {

class DriveSectors {
public:
    static const std::uint32_t kClassicBytesPerSector = 512;

    explicit DriveSectors(std::uint32_t bytesPerSector = kClassicBytesPerSector)
        : bytesPerSector_(bytesPerSector) {}

    std::uint32_t BytesPerSector() const { return bytesPerSector_; }
    // False for a drive whose sector size is not known.
    bool Known() const { return bytesPerSector_ != 0; }

    // The bytes of `sectors` sectors; false when unknown or beyond 64 bits.
    bool ToBytes(std::uint64_t sectors, std::uint64_t& bytes) const {
        if (!Known() || sectors > std::numeric_limits<std::uint64_t>::max() / bytesPerSector_) return false;
        bytes = sectors * bytesPerSector_;
        return true;
    }

    // The sectors in a signed byte count, the quotient truncated toward zero
    // (so -511 bytes are 0 sectors on a 512-byte drive); 0 when unknown.
    std::int64_t SectorsIn(std::int64_t bytes) const {
        return Known() ? bytes / static_cast<std::int64_t>(bytesPerSector_) : 0;
    }

private:
    std::uint32_t bytesPerSector_;
};

}  // namespace strata_col

#endif
