// strata-ldm dump: the decoded database of each image or drive as JSON on
// standard output, and on standard error, per image, why a database is
// missing, empty or partial.
#ifndef STRATA_TOOLS_DUMPCOMMAND_H
#define STRATA_TOOLS_DUMPCOMMAND_H

#include <string>
#include <vector>

namespace strata_tools {

// Exit status: 0 when every image was decoded, 1 when one was not or the
// output could not be written, 2 for a bad command line (after a message).
int DumpCommand(const std::vector<std::string>& args);

}  // namespace strata_tools

#endif
