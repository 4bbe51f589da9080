// strata-ldm write and write-all: dynamic-disk images from a description of
// a disk group.
#ifndef STRATA_TOOLS_WRITECOMMAND_H
#define STRATA_TOOLS_WRITECOMMAND_H

#include "tools/strata-ldm/GroupDescription.h"

#include <string>
#include <vector>

namespace strata_tools {

// The description in the file; throws std::runtime_error naming the file
// and the faulty key. Only a regular file of at most 16 MiB is read.
GroupDescription LoadGroupDescription(const std::string& path);

// `write DESCRIPTION OUT [DISK]`; exit status, 2 for a bad command line.
int WriteCommand(const std::vector<std::string>& args);
// `write-all DESCRIPTION FOLDER`.
int WriteAllCommand(const std::vector<std::string>& args);

}  // namespace strata_tools

#endif
