// The VBLK records of a described disk group, encoded as the database holds
// them: the group, its disks, volumes, components and partitions.
#ifndef STRATA_TOOLS_DATABASERECORDS_H
#define STRATA_TOOLS_DATABASERECORDS_H

#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/GroupDescription.h"

#include <cstdint>
#include <vector>

namespace strata_tools {

struct EncodedRecord {
    // From the update status on: status (2), flags, type, data length (4),
    // then the body. Longer records continue in further blocks.
    Bytes data;
};

struct DatabaseRecords {
    std::vector<EncodedRecord> records;
    std::uint32_t volumes = 0;
    std::uint32_t components = 0;
    std::uint32_t partitions = 0;
    std::uint32_t disks = 0;
    std::uint64_t lastCommitId = 0;
};

// Object identifiers are given in order, from the group's first (0x401
// unless it says): the group, the disks, then per volume the volume, its
// components and their partitions.
DatabaseRecords EncodeDatabaseRecords(const GroupDescription& group);

}  // namespace strata_tools

#endif
