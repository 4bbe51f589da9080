// Runs a program of the build as its user would, through the shell.
#ifndef STRATA_TESTS_SUPPORT_RUNPROGRAM_H
#define STRATA_TESTS_SUPPORT_RUNPROGRAM_H

#include <string>

namespace strata_test {

struct ProgramRun {
    int exitCode = -1;  // 128 + n after signal n; -1 when it could not be run
    std::string out;
    std::string err;
};

// Runs a shell command line; its standard output and error are kept apart.
// The line may redirect them itself.
ProgramRun RunProgram(const std::string& commandLine);

}  // namespace strata_test

#endif
