// Output that never reached its reader (a full disk, a closed standard
// output) is a failure, not an empty success.
#ifndef STRATA_TOOLS_OUTPUTCHECK_H
#define STRATA_TOOLS_OUTPUTCHECK_H

namespace strata_tools {

// Flushes standard output; false after a message on standard error when
// anything written to it was lost. Clear errno before writing, so that the
// message can say why.
bool OutputWritten(const char* program);

}  // namespace strata_tools

#endif
