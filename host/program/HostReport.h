// What one run of the host produced, and the ways of printing it.
#ifndef STRATA_HOST_PROGRAM_HOSTREPORT_H
#define STRATA_HOST_PROGRAM_HOSTREPORT_H

#include "host/HostSession.h"

#include <ostream>

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

HostReport CollectReport(const HostSession& session, const PluginInfo& plugin,
                         const std::vector<std::string>& classNames);

// Tables wrap at `width` characters; 0 never wraps.
void WriteTextReport(std::ostream& out, const HostReport& report, std::size_t width = 0);
void WriteJsonReport(std::ostream& out, const HostReport& report);
void WriteMofReport(std::ostream& out, const HostReport& report);
// The storage topology as a Graphviz graph.
void WriteDotReport(std::ostream& out, const HostReport& report);

}  // namespace telva_host

#endif
