#include "host/program/HostReport.h"

#include "host/SystemName.h"

#include <set>
#include <utility>

namespace telva_host {

HostReport CollectReport(HostSession& session, const PluginInfo& plugin,
                         const std::vector<std::string>& classNames) {
    HostReport report;
    report.plugin = plugin;
    report.systemName = SystemName();
    std::set<std::string> seen;
    for (const std::string& name : classNames) {
        if (!seen.insert(name).second) continue;
        ForClass(name, [&] {
            ClassResult result;
            result.className = name;
            result.isAssociation = session.ClassFor(name)->IsAssociation(NTELVA20::ContextMap());
            result.instances = session.TakeInstances(name);
            report.classes.push_back(std::move(result));
        });
    }
    report.log = session.LogLines();
    return report;
}

}  // namespace telva_host
