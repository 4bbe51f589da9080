// The dynamic-disk identity of the drives one builder meets, each drive read
// once. Builders ask about the same drive again and again (for every extent
// of every volume on it); its private header does not change during a query,
// and reading it is silent, so no caller can tell a repeated read from this.
#ifndef STRATA_LDM_DRIVEHEADERS_H
#define STRATA_LDM_DRIVEHEADERS_H

#include "ldm/LDMDBParser.h"

#include <map>
#include <string>

namespace strata_col {

class DriveHeaders {
public:
    // The drive's private header (empty disk GUID for a basic disk or a drive
    // that cannot be read) and sector size.
    const DynamicDrive& Of(const std::string& devicePath) {
        auto known = drives_.find(devicePath);
        if (known == drives_.end()) known = drives_.emplace(devicePath, parser_.GetDynamicDrive(devicePath)).first;
        return known->second;
    }
    const std::string& DiskGuidOf(const std::string& devicePath) { return Of(devicePath).header.diskGuid; }

private:
    LDMDBParser parser_;
    std::map<std::string, DynamicDrive> drives_;
};

}  // namespace strata_col

#endif
