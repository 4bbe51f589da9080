// Writes the image of one disk of a described dynamic disk group: the
// database area (TOCBLOCKs, VMDB and VBLK records) and the private header,
// with either an MBR whose dynamic-disk partition covers the data region
// (header at sector 6, area at the end of the disk) or a GPT whose LDM
// metadata partition is the area (header in its last sector).
#ifndef STRATA_TOOLS_DISKIMAGEWRITER_H
#define STRATA_TOOLS_DISKIMAGEWRITER_H

#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/DatabaseRecords.h"
#include "tools/strata-ldm/GroupDescription.h"
#include "tools/common/NewFile.h"

#include <ostream>
#include <string>

namespace strata_tools {

class DiskImageWriter {
public:
    explicit DiskImageWriter(const GroupDescription& group);
    virtual ~DiskImageWriter() {}

    // Writes the disk's image into `file` and puts it in place; throws
    // std::runtime_error on a failure or an unknown disk, leaving the file's
    // path as it was.
    void Write(const std::string& diskName, NewFile& file) const;
    // The same at `path`; a file already there stays unless `rule` accepts
    // replacing it (only its last part must not be a link: the path is the
    // user's own).
    void Write(const std::string& diskName, const std::string& path,
               const ExistingFileRule& rule = KeepEveryFile) const;

    // The pieces, for tests.
    Bytes MasterBootRecord(const DiskDescription& disk) const;
    Bytes PrivateHeaderSector(const DiskDescription& disk) const;
    Bytes DatabaseArea() const;

private:
    void WriteImage(std::ostream& out, const DiskDescription& disk) const;
    void WriteMbrTable(std::ostream& out, const DiskDescription& disk) const;
    void WriteGptTable(std::ostream& out, const DiskDescription& disk) const;

    const GroupDescription& group_;
    DatabaseRecords records_;
};

}  // namespace strata_tools

#endif
