// Finds partitions in a drive's GUID partition table, read with raw sector
// reads so that the same code serves drives and image files.
#ifndef STRATA_LDM_GPTPARTITIONREADER_H
#define STRATA_LDM_GPTPARTITIONREADER_H

#include "ldm/RawDiskAccess.h"
#include "platform/GptTable.h"
#include "platform/win32.h"

#include <cstdint>
#include <vector>

namespace strata_col {

// A partition's sectors, first and last inclusive, in the drive's sectors.
struct SectorRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

class GptPartitionReader {
public:
    explicit GptPartitionReader(RawDiskAccess& access) : access_(access) {}
    virtual ~GptPartitionReader() {}

    // The first partition of the type in the drive's GPT. The drive must
    // carry a protective MBR and a header and entry array that pass their
    // CRC32 checks (the backup header when the primary one fails). False
    // when there is no such table or no such partition inside the drive.
    // `driveLength` bounds every read; 0 when it is unknown.
    bool FindPartition(int file, std::uint32_t sectorSize, std::uint64_t driveLength,
                       const GUID& type, SectorRange& partition);

private:
    struct Table {
        disk_format::GptHeader header;
        std::vector<unsigned char> entries;
    };

    bool HasProtectiveMbr(int file, std::uint32_t sectorSize);
    bool ReadTable(int file, std::uint64_t headerLba, std::uint32_t sectorSize,
                   std::uint64_t driveSectors, Table& table);
    // Whole sectors only, as raw drives require; false unless all are read.
    bool ReadSectors(int file, std::uint64_t lba, std::uint64_t count, std::uint32_t sectorSize,
                     std::vector<unsigned char>& bytes);

    RawDiskAccess& access_;
};

}  // namespace strata_col

#endif
