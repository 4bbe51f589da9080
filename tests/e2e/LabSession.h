// One full query of the lab machine (the build's samples/default.json)
// through the real plug-in module, made once per test program and shared.
#ifndef STRATA_TESTS_E2E_LABSESSION_H
#define STRATA_TESTS_E2E_LABSESSION_H

#include "host/program/HostReport.h"

#include <string>
#include <vector>

namespace strata_test {

// The machine description ./run uses by default.
std::string LabMachineFile();

// Null when the lab machine or the plug-in module has not been built
// (the caller skips); otherwise the report of a query of every class.
const telva_host::HostReport* LabReport();

// The accesses to empty drives the query made while system dialogs could
// show (strata_sim::DialogRisks after the query).
const std::vector<std::string>& LabDialogRisks();

// The host's own error flags, without SEM_FAILCRITICALERRORS, in force when
// the query starts: opening an empty drive could then raise a dialog.
const unsigned kHostErrorMode = 0x8002;  // SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX
// The process error mode after the query.
unsigned LabErrorModeAfter();

// The opens that asked for write access during the query
// (strata_sim::WriteRequests after the query).
const std::vector<std::string>& LabWriteRequests();

// The instances of one class in the lab report (none for an unknown class).
const std::vector<telva_host::InstanceRecord>& LabInstances(const std::string& className);

}  // namespace strata_test

#define STRATA_REQUIRE_LAB_REPORT()                                                         \
    do {                                                                                    \
        if (strata_test::LabReport() == nullptr) {                                          \
            GTEST_SKIP() << "the lab machine is not built: " << strata_test::LabMachineFile(); \
        }                                                                                   \
    } while (0)

#endif
