#include "tests/support/RunProgram.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace strata_test {

ProgramRun RunProgram(const std::string& commandLine) {
    static std::atomic<int> runs{0};
    const std::string errFile = (std::filesystem::temp_directory_path() /
                                 ("strata-run-" + std::to_string(getpid()) + "-" + std::to_string(runs++) + ".err"))
                                    .string();
    ProgramRun result;
    FILE* pipe = popen(("{ " + commandLine + " ; } 2>" + errFile).c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t length;
    while ((length = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, length);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    result.err = text.str();
    std::remove(errFile.c_str());
    return result;
}

}  // namespace strata_test
