#include "platform/sim/LayoutDecoder.h"

namespace strata_sim {

std::uint64_t SectorSource::SectorCount() const {
    if (length <= 0 || bytesPerSector == 0) return 0;
    return static_cast<std::uint64_t>(length) / bytesPerSector;
}

bool SectorSource::ReadBytes(std::uint64_t offset, std::size_t count,
                             std::vector<unsigned char>& bytes) const {
    const std::uint64_t end = static_cast<std::uint64_t>(length > 0 ? length : 0);
    if (offset > end || count > end - offset) return false;
    bytes.assign(count, 0);
    if (image == nullptr || count == 0) return true;
    return image->ReadAt(static_cast<std::int64_t>(offset), bytes.data(), count);
}

bool SectorSource::ReadSector(std::uint64_t lba, std::vector<unsigned char>& sector) const {
    if (bytesPerSector == 0 || lba >= SectorCount()) return false;
    return ReadBytes(lba * bytesPerSector, bytesPerSector, sector);
}

}  // namespace strata_sim
