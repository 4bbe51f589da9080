// The GUID partition table of a GPT dynamic disk as Windows lays it out: a
// protective MBR, the header and entry array at the start of the disk and
// their backups at its end, with the LDM metadata, Microsoft reserved and
// LDM data partitions.
#ifndef STRATA_TOOLS_GPTTABLEWRITER_H
#define STRATA_TOOLS_GPTTABLEWRITER_H

#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/DiskPlan.h"

namespace strata_tools {

class GptTableWriter {
public:
    GptTableWriter(const GroupDescription& group, const DiskDescription& disk);
    virtual ~GptTableWriter() {}

    Bytes ProtectiveMbr() const;
    // The entry array, whole sectors.
    Bytes EntryArray() const;
    // The primary header (at LBA 1) or the backup (in the last sector), one
    // sector, for this entry array.
    Bytes Header(bool primary, const Bytes& entries) const;

    // Where the backup entry array and header lie.
    std::uint64_t BackupEntriesLba() const;
    std::uint64_t BackupHeaderLba() const;

private:
    const GroupDescription& group_;
    const DiskDescription& disk_;
    DiskPlan plan_;
};

}  // namespace strata_tools

#endif
