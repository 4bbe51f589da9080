#include "tests/e2e/LabSession.h"

#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"

#include <fstream>

namespace strata_test {

MachineQuery QueryMachineFile(const std::string& machineFile) {
    MachineQuery query;
    const std::string plugin = STRATA_BIN_DIR "/strata.pi.so";
    if (!std::ifstream(machineFile).good() || !std::ifstream(plugin).good()) return query;
    strata_sim::LoadMachineFile(machineFile);
    telva_host::HostSession session;
    session.LoadPlugin(plugin);
    telva_host::CoreLogger::Instance().Clear();  // only this query's lines
    const UINT before = SetErrorMode(kHostErrorMode);
    session.Query(telva_host::AllClasses());
    query.errorModeAfter = SetErrorMode(before);
    NTELVA20::IPluginCallbacks* callbacks = session.Plugin();
    telva_host::PluginInfo info;
    info.name = callbacks->GetName();
    info.version = callbacks->GetVersion();
    info.secondaryVersion = callbacks->GetSecondaryVersion();
    info.status = callbacks->GetStatus();
    query.report.reset(
        new telva_host::HostReport(telva_host::CollectReport(session, info, telva_host::AllClasses())));
    query.dialogRisks = strata_sim::DialogRisks();
    query.writeRequests = strata_sim::WriteRequests();
    query.comBalance = strata_sim::ComBalance();
    strata_sim::ResetMachine();
    return query;
}

const std::vector<telva_host::InstanceRecord>& MachineQuery::Instances(const std::string& className) const {
    static const std::vector<telva_host::InstanceRecord> none;
    if (!report) return none;
    for (const telva_host::ClassResult& result : report->classes) {
        if (result.className == className) return result.instances;
    }
    return none;
}

std::string LabMachineFile() { return STRATA_BINARY_DIR "/samples/default.json"; }

const MachineQuery& LabQuery() {
    static const MachineQuery query = QueryMachineFile(LabMachineFile());
    return query;
}

const telva_host::HostReport* LabReport() { return LabQuery().report.get(); }
const std::vector<std::string>& LabDialogRisks() { return LabQuery().dialogRisks; }
const std::vector<std::string>& LabWriteRequests() { return LabQuery().writeRequests; }
unsigned LabErrorModeAfter() { return LabQuery().errorModeAfter; }

const std::vector<telva_host::InstanceRecord>& LabInstances(const std::string& className) {
    return LabQuery().Instances(className);
}

}  // namespace strata_test
