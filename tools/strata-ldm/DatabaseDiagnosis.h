// Why a drive gave no database, an empty one or a partial one. The private
// header and the database area are checked again, step by step, the way the
// reader takes them, so that strata-ldm can name the first thing that
// stopped it: for people diagnosing a disk, "empty" is not an answer.
#ifndef STRATA_TOOLS_DATABASEDIAGNOSIS_H
#define STRATA_TOOLS_DATABASEDIAGNOSIS_H

#include "ldm/LDMDataBase.h"
#include "ldm/RawDiskAccess.h"

#include <string>
#include <vector>

namespace strata_tools {

// The drive gave no database: why no private header was found.
std::string WhyNoDatabase(strata_col::RawDiskAccess& access, const std::string& path);

// The drive's database holds no records: why.
std::string WhyEmpty(strata_col::RawDiskAccess& access, const std::string& path);

// What a database with records lacks: records that other records name, and
// the record of the disk itself (`diskGuid`, from its private header).
std::vector<std::string> MissingRecords(const std::string& diskGuid, const strata_col::LDMDataBase& database);

// Record blocks the reader found but left out of the database: blocks of
// records longer than one block (the reader decodes each block on its own,
// so such a record is cut short), and records whose ObjectID an earlier
// record of their kind already has (the first stays).
std::vector<std::string> LeftOutBlocks(strata_col::RawDiskAccess& access, const std::string& path);

// The counts behind LeftOutBlocks.
struct BlockCensus {
    std::size_t pieces = 0;    // blocks of records longer than one block
    std::size_t repeated = 0;  // records whose ObjectID an earlier one of their kind has
};
BlockCensus CountBlocks(strata_col::RawDiskAccess& access, const std::string& path);
// The same for a database area already read, its VMDB at byte `vmdb`.
BlockCensus CountBlocksIn(const std::vector<unsigned char>& area, std::uint32_t vmdb);
std::string RepeatedIdsText(std::size_t repeated);

// Sector counts of partition and volume records whose bytes (at the drive's
// sector size) pass 64 bits: the plug-in leaves those properties out.
std::vector<std::string> SectorFieldsBeyond64Bits(strata_col::RawDiskAccess& access, const std::string& path,
                                                  const strata_col::LDMDataBase& database);

std::size_t RecordCount(const strata_col::LDMDataBase& database);

}  // namespace strata_tools

#endif
