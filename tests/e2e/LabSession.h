// Whole queries of sample machines through the real plug-in module: the lab
// machine (the build's samples/default.json), made once per test program and
// shared, and any other machine file.
#ifndef STRATA_TESTS_E2E_LABSESSION_H
#define STRATA_TESTS_E2E_LABSESSION_H

#include "host/program/HostReport.h"

#include <memory>
#include <string>
#include <vector>

namespace strata_test {

// The host's own error flags, without SEM_FAILCRITICALERRORS, in force when
// a query starts: opening an empty drive could then raise a dialog.
const unsigned kHostErrorMode = 0x8002;  // SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX

// One query of every class of a machine, and what the machine saw of it.
struct MachineQuery {
    std::unique_ptr<telva_host::HostReport> report;  // null: machine or plug-in not built
    // The accesses to empty drives made while system dialogs could show
    // (strata_sim::DialogRisks after the query).
    std::vector<std::string> dialogRisks;
    // The opens that asked for write access (strata_sim::WriteRequests).
    std::vector<std::string> writeRequests;
    unsigned errorModeAfter = 0;  // the process error mode after the query
    int comBalance = 0;           // strata_sim::ComBalance after the query

    // The instances of one class (none for an unknown class).
    const std::vector<telva_host::InstanceRecord>& Instances(const std::string& className) const;
};

// Queries the machine file with kHostErrorMode in force.
MachineQuery QueryMachineFile(const std::string& machineFile);

// The machine description ./run uses by default.
std::string LabMachineFile();

// Null when the lab machine or the plug-in module has not been built
// (the caller skips); otherwise the report of a query of every class.
const telva_host::HostReport* LabReport();
const MachineQuery& LabQuery();

const std::vector<std::string>& LabDialogRisks();
const std::vector<std::string>& LabWriteRequests();
unsigned LabErrorModeAfter();
const std::vector<telva_host::InstanceRecord>& LabInstances(const std::string& className);

}  // namespace strata_test

#define STRATA_REQUIRE_LAB_REPORT()                                                         \
    do {                                                                                    \
        if (strata_test::LabReport() == nullptr) {                                          \
            GTEST_SKIP() << "the lab machine is not built: " << strata_test::LabMachineFile(); \
        }                                                                                   \
    } while (0)

#endif
