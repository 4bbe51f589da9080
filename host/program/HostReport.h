// What one run of the host produced, and the ways of printing it.
#ifndef STRATA_HOST_PROGRAM_HOSTREPORT_H
#define STRATA_HOST_PROGRAM_HOSTREPORT_H

#include "host/HostSession.h"

#include <new>
#include <ostream>
#include <stdexcept>

namespace telva_host {

struct PluginInfo {
    std::string name;
    std::string version;
    std::string secondaryVersion;
    long status = 0;
};

struct ClassResult {
    std::string className;
    bool isAssociation = false;
    std::vector<InstanceRecord> instances;  // of this class only, in commit order
};

struct HostReport {
    PluginInfo plugin;
    std::string systemName;
    std::vector<ClassResult> classes;  // each requested class once, in request order
    std::vector<LogLine> log;
};

// The memory for one class's instances, held or written, ran out.
class ReportMemoryError : public std::runtime_error {
public:
    explicit ReportMemoryError(const std::string& className)
        : std::runtime_error("not enough memory for the instances of " + className) {}
};

// Runs `work` for the class, turning an allocation failure into a
// ReportMemoryError that names it (the failed work's memory is freed by then).
template <typename Work>
void ForClass(const std::string& className, Work work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        throw ReportMemoryError(className);
    }
}

// Moves the classes' instances out of the session into the report.
HostReport CollectReport(HostSession& session, const PluginInfo& plugin,
                         const std::vector<std::string>& classNames);

// Tables wrap at `width` characters; 0 never wraps.
void WriteTextReport(std::ostream& out, const HostReport& report, std::size_t width = 0);
void WriteJsonReport(std::ostream& out, const HostReport& report);
void WriteMofReport(std::ostream& out, const HostReport& report);
// The storage topology as a Graphviz graph.
void WriteDotReport(std::ostream& out, const HostReport& report);

}  // namespace telva_host

#endif
