// The device-mapper tables that map a volume from its member devices, for
// users who do have device-mapper: printed, never loaded. Numbers are
// 512-byte sectors, as device-mapper counts. Targets: linear for simple and
// spanned volumes, striped, mirror (nosync: creating it writes nothing) and
// raid (raid5_ls, the rotation Windows uses). A member device whose column
// or plex is not one run on one device gets a linear device of its own,
// listed before the device that uses it.
#ifndef STRATA_TOOLS_DMTABLE_H
#define STRATA_TOOLS_DMTABLE_H

#include "tools/strata-ldm/VolumeMap.h"

#include <string>
#include <vector>

namespace strata_tools {

struct DmDevice {
    std::string name;                // as given to dmsetup create
    std::vector<std::string> lines;  // its table
};

// The devices to create, in order, the volume's own last; empty with
// `whyNot` set when the given images cannot map it.
std::vector<DmDevice> DmTables(const MappedGroup& group, const MappedVolume& volume, std::string& whyNot);

}  // namespace strata_tools

#endif
