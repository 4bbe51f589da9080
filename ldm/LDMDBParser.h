// Reads the dynamic-disk database off each physical drive.
#ifndef STRATA_LDM_LDMDBPARSER_H
#define STRATA_LDM_LDMDBPARSER_H

#include "collect/DeviceMap.h"
#include "ldm/DatabaseCache.h"
#include "ldm/DiskDatabase.h"
#include "ldm/DriveSectors.h"
#include "ldm/PlatformDiskAccess.h"
#include "ldm/PrivateHeader.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace strata_col {

// A drive as the dynamic-disk lookups see it: its private header (an empty
// disk GUID for a basic disk or a drive that cannot be read) and the sector
// size its database's sector fields count in.
struct DynamicDrive {
    PrivateHeader header;
    DriveSectors sectors{0};
};

class LDMDBParser {
public:
    // Windows writes 1 MiB database areas. A header that announces more than
    // this is damaged, and its area is refused before anything is allocated.
    static const std::uint64_t kMaxDatabaseAreaBytes = 64ull << 20;

    // Reads drives through the platform (C run-time and DeviceIoControl).
    // Databases decoded from the same record blocks are shared within one
    // ReadDatabases call, or, given a `cache` that outlives the parser,
    // across every call that uses it.
    explicit LDMDBParser(DatabaseCache* cache = nullptr);
    // Reads drives through `access`, which must outlive the parser.
    explicit LDMDBParser(RawDiskAccess& access, DatabaseCache* cache = nullptr);
    virtual ~LDMDBParser() {}
    LDMDBParser(const LDMDBParser&) = delete;
    LDMDBParser& operator=(const LDMDBParser&) = delete;

    // Decodes the fields a volume's data layout needs as well (see
    // VBLKRecordDecoder); a cache given to the parser must only ever serve
    // parsers that keep them too.
    void KeepLayoutFields() { keepLayoutFields_ = true; }

    // The database of every drive that carries a private header, keyed by
    // the header's disk GUID text; a later drive with the same GUID wins.
    // Every drive's area is read; only the decoding is shared.
    DiskDatabaseMap ReadDatabases(const DeviceMap& devices);

    // The private header's disk GUID text of the drive; empty for a basic
    // disk or a drive that cannot be read.
    std::string GetDiskGuid(const std::string& devicePath);

    // The drive's decoded private header, from one open and one header
    // search: the disk GUID (empty when there is none) and the start of its
    // data region, from which its partition records count.
    PrivateHeader GetPrivateHeader(const std::string& devicePath);
    // The same with the drive's sector size, from the same open.
    DynamicDrive GetDynamicDrive(const std::string& devicePath);

    // Reads the private header into the 512-byte buffer; true when found.
    // It is sought at sector 6 and then, on a GPT disk, in the last sector of
    // the LDM metadata partition. The drive is `driveLength` bytes long, or
    // the file's length when 0.
    bool ReadPrivateHeader(int file, std::vector<unsigned char>& header, std::uint32_t sectorSize,
                           std::uint64_t driveLength = 0);

    // Reads the database area of the drive whose header is given into
    // `area` (bytes a short read leaves are zero), and where its VMDB lies;
    // false when the area is not inside the drive or cannot be read.
    bool ReadDatabaseArea(int file, const std::vector<unsigned char>& header,
                          std::uint32_t sectorSize, std::uint64_t driveLength,
                          std::vector<unsigned char>& area, std::uint32_t& vmdbOffset);

    // (disk Name, partition ObjectID) of a partition record, when its disk
    // record is known.
    static bool ResolvePartitionDisk(const RecordTable& disks, const RecordMap& partition,
                                     std::pair<std::string, std::string>& result);

    // Fills partitionsByDiskName from the partitions and disks read.
    static void IndexPartitionsByDisk(LDMDataBase& database);

private:
    // Keeps the first 512 bytes of the sector in `header`; true when they
    // are a private header.
    bool ReadHeaderSector(int file, std::uint64_t sector, std::vector<unsigned char>& header,
                          std::uint32_t sectorSize);

    // Sets `blocks` to the record blocks of the drive's database as
    // VBLKParser::FindBlocks gives them; empty when the area cannot be read.
    void ReadRecordBlocks(int file, const std::vector<unsigned char>& header,
                          std::uint32_t sectorSize, std::uint64_t driveLength, std::string& blocks);

    PlatformDiskAccess platform_;
    RawDiskAccess& access_;
    DatabaseCache* cache_;
    bool keepLayoutFields_ = false;
    // Reused from drive to drive: a fresh megabyte per drive costs more in
    // page faults than the read itself.
    std::vector<unsigned char> area_;
    std::string blocks_;
};

}  // namespace strata_col

#endif
