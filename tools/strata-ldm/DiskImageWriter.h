// Writes the image of one disk of a described dynamic disk group: an MBR
// with the dynamic-disk partition, the private header at sector 6 and the
// database area (TOCBLOCKs, VMDB and VBLK records) at the end of the disk.
#ifndef STRATA_TOOLS_DISKIMAGEWRITER_H
#define STRATA_TOOLS_DISKIMAGEWRITER_H

#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/DatabaseRecords.h"
#include "tools/strata-ldm/GroupDescription.h"

#include <string>

namespace strata_tools {

class DiskImageWriter {
public:
    explicit DiskImageWriter(const GroupDescription& group);
    virtual ~DiskImageWriter() {}

    // Writes the disk's image to `path`; throws std::runtime_error on a
    // failure or an unknown disk.
    void Write(const std::string& diskName, const std::string& path) const;

    // The pieces, for tests.
    Bytes MasterBootRecord(const DiskDescription& disk) const;
    Bytes PrivateHeaderSector(const DiskDescription& disk) const;
    Bytes DatabaseArea() const;

private:
    std::uint64_t ConfigStart(const DiskDescription& disk) const;

    const GroupDescription& group_;
    DatabaseRecords records_;
};

}  // namespace strata_tools

#endif
