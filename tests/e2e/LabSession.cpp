#include "tests/e2e/LabSession.h"

#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"

#include <fstream>
#include <memory>

namespace strata_test {

namespace {

std::vector<std::string> g_dialogRisks;
std::vector<std::string> g_writeRequests;
unsigned g_errorModeAfter = 0;

std::unique_ptr<telva_host::HostReport> QueryLabMachine() {
    const std::string plugin = STRATA_BIN_DIR "/strata.pi.so";
    if (!std::ifstream(LabMachineFile()).good() || !std::ifstream(plugin).good()) return nullptr;
    strata_sim::LoadMachineFile(LabMachineFile());
    telva_host::HostSession session;
    session.LoadPlugin(plugin);
    telva_host::CoreLogger::Instance().Clear();  // only this query's lines
    const UINT before = SetErrorMode(kHostErrorMode);
    session.Query(telva_host::AllClasses());
    g_errorModeAfter = SetErrorMode(before);
    NTELVA20::IPluginCallbacks* callbacks = session.Plugin();
    telva_host::PluginInfo info;
    info.name = callbacks->GetName();
    info.version = callbacks->GetVersion();
    info.secondaryVersion = callbacks->GetSecondaryVersion();
    info.status = callbacks->GetStatus();
    std::unique_ptr<telva_host::HostReport> report(
        new telva_host::HostReport(telva_host::CollectReport(session, info, telva_host::AllClasses())));
    g_dialogRisks = strata_sim::DialogRisks();
    g_writeRequests = strata_sim::WriteRequests();
    strata_sim::ResetMachine();
    return report;
}

}  // namespace

std::string LabMachineFile() { return STRATA_BINARY_DIR "/samples/default.json"; }

const telva_host::HostReport* LabReport() {
    static const std::unique_ptr<telva_host::HostReport> report = QueryLabMachine();
    return report.get();
}

const std::vector<std::string>& LabDialogRisks() {
    LabReport();
    return g_dialogRisks;
}

unsigned LabErrorModeAfter() {
    LabReport();
    return g_errorModeAfter;
}

const std::vector<std::string>& LabWriteRequests() {
    LabReport();
    return g_writeRequests;
}

const std::vector<telva_host::InstanceRecord>& LabInstances(const std::string& className) {
    static const std::vector<telva_host::InstanceRecord> none;
    if (LabReport() == nullptr) return none;
    for (const telva_host::ClassResult& result : LabReport()->classes) {
        if (result.className == className) return result.instances;
    }
    return none;
}

}  // namespace strata_test
