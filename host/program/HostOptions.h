// Command line of strata-host.
#ifndef STRATA_HOST_PROGRAM_HOSTOPTIONS_H
#define STRATA_HOST_PROGRAM_HOSTOPTIONS_H

#include <stdexcept>
#include <string>
#include <vector>

namespace telva_host {

enum class ReportFormat { kText, kJson, kMof, kDot };

struct HostOptions {
    std::string pluginPath;  // empty: the default module beside the program
    std::string machineFile;
    std::vector<std::string> classes;  // every class, in serving order, unless --classes
    ReportFormat format = ReportFormat::kText;
    int logLevel = 3;  // log lines at or below go to stderr; -1 shows none
    int width = -1;    // text tables wrap at this many columns; 0: never; -1: the terminal's
    bool help = false;
};

// A command line that cannot be followed; the message says why.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Reads the arguments after the program name. Throws UsageError.
HostOptions ParseHostOptions(const std::vector<std::string>& arguments);

// The classes a full inventory asks for: information classes before the
// associations that refer to them.
const std::vector<std::string>& AllClasses();

const char* UsageText();

}  // namespace telva_host

#endif
