#include "tools/strata-ldm/OutputCheck.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

namespace strata_tools {

bool OutputWritten(const char* program) {
    std::cout.flush();
    if (std::cout) return true;
    std::cerr << program << ": cannot write the output"
              << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) << "\n";
    return false;
}

}  // namespace strata_tools
