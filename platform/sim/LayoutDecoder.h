// The partition layout of an image as IOCTL_DISK_GET_DRIVE_LAYOUT_EX reports it.
#ifndef STRATA_PLATFORM_SIM_LAYOUTDECODER_H
#define STRATA_PLATFORM_SIM_LAYOUTDECODER_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/ImageFile.h"
#include "platform/sim/MachineModel.h"

namespace strata_sim {

// Where the sectors of one drive come from and how big it is.
struct SectorSource {
    const ImageFile* image = nullptr;  // null: the drive reads as zeros
    std::int64_t length = 0;           // bytes
    std::uint32_t bytesPerSector = 512;

    // One sector; false when it lies past the drive's end or cannot be read.
    bool ReadSector(std::uint64_t lba, std::vector<unsigned char>& sector) const;
    bool ReadBytes(std::uint64_t offset, std::size_t count, std::vector<unsigned char>& bytes) const;
    std::uint64_t SectorCount() const;
};

// MBR (with the extended-partition chain) or GPT, else a raw layout with no
// entries. Damage found on the way is described in notes.
DriveLayout DecodeLayout(const SectorSource& source, std::vector<std::string>& notes);

// GPT from the header at LBA 1 or, when that one is damaged, the backup header.
// False when neither is valid.
bool DecodeGptLayout(const SectorSource& source, DriveLayout& layout, std::vector<std::string>& notes);

// Whether Windows recognises the MBR partition type (IsRecognizedPartition).
bool IsRecognizedMbrType(std::uint8_t type);
bool IsExtendedMbrType(std::uint8_t type);

}  // namespace strata_sim

#endif
