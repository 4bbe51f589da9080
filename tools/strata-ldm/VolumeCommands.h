// strata-ldm's commands on the volumes of dynamic-disk images: list them,
// extract one, verify one's redundancy, and check the disks and groups.
#ifndef STRATA_TOOLS_VOLUMECOMMANDS_H
#define STRATA_TOOLS_VOLUMECOMMANDS_H

#include <string>
#include <vector>

namespace strata_tools {

int VolumesCommand(const std::vector<std::string>& args);
int ExtractCommand(const std::vector<std::string>& args);
int VerifyCommand(const std::vector<std::string>& args);
int CheckCommand(const std::vector<std::string>& args);

}  // namespace strata_tools

#endif
