// The width of the terminal the report goes to.
#ifndef STRATA_HOST_PROGRAM_TERMINALWIDTH_H
#define STRATA_HOST_PROGRAM_TERMINALWIDTH_H

#include <cstddef>

namespace telva_host {

// Columns of the terminal standard output is, or 0 when it is not a
// terminal (a file or a pipe: nothing is wrapped then). COLUMNS, when set,
// stands in for a terminal that does not tell its size.
std::size_t StandardOutputWidth();

}  // namespace telva_host

#endif
