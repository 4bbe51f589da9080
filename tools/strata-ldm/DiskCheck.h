// What is wrong with one dynamic disk's own structures, as Windows would see
// it: its partition table, every copy of its private header, both tables of
// contents with their previous copies, the database header (VMDB) and the
// record blocks. The plug-in's reader takes one header and one table of
// contents as they are; this check reads every copy and compares them.
#ifndef STRATA_TOOLS_DISKCHECK_H
#define STRATA_TOOLS_DISKCHECK_H

#include "ldm/RawDiskAccess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

struct Finding {
    std::string severity;  // "warning" or "error"
    std::string text;
};

struct DiskCheck {
    std::string image;
    std::string name;      // its disk record's name; empty when unknown
    std::string diskGuid;  // from its private header; empty when none was read
    bool usable = false;   // a database with records was read
    bool hasVmdb = false;
    std::uint64_t committedSequence = 0;
    std::vector<Finding> findings;

    void Warn(const std::string& text) { findings.push_back({"warning", text}); }
    void Fail(const std::string& text) { findings.push_back({"error", text}); }
};

// Checks the image read with `sectorSize`-byte sectors (device paths with
// the drive's own) through `access`.
DiskCheck CheckDisk(strata_col::RawDiskAccess& access, const std::string& path, std::uint32_t sectorSize);

}  // namespace strata_tools

#endif
