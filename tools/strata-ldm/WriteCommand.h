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

// `write [--force] DESCRIPTION OUT [DISK]`; exit status, 2 for a bad command
// line. An existing OUT stays unless --force is given and it is a dynamic-disk
// image.
int WriteCommand(std::vector<std::string> args);
// `write-all [--force] DESCRIPTION FOLDER`: the same for every disk, each at
// its image name inside FOLDER; two disks with one image name are refused.
int WriteAllCommand(std::vector<std::string> args);

}  // namespace strata_tools

#endif
