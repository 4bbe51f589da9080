// Reading a machine description from disk. Only a regular file of bounded
// size is read, so that a FIFO, a device or a runaway file is refused
// instead of blocking the load or filling memory.
#ifndef STRATA_PLATFORM_SIM_DESCRIPTIONFILE_H
#define STRATA_PLATFORM_SIM_DESCRIPTIONFILE_H

#include <cstddef>
#include <string>

namespace strata_sim {

const std::size_t kMaxDescriptionBytes = std::size_t(16) << 20;

// The whole text of the file; throws std::runtime_error saying why it
// cannot be read.
std::string ReadDescriptionFile(const std::string& path);

}  // namespace strata_sim

#endif
