// The machine-wide names a description starts with, and on Linux the choice
// of the simulated machine to capture.
#ifndef STRATA_CAPTURE_SYSTEMNAMES_H
#define STRATA_CAPTURE_SYSTEMNAMES_H

#include "tools/strata-capture/CaptureLog.h"

#include <string>

namespace strata_capture {

// "name", "systemDirectory" and "windowsDirectory" of the description.
void DescribeSystem(Json& machine, CaptureLog& log);

// True where the machine to capture is chosen with --machine (the simulated
// machine); on Windows it is always the machine the program runs on.
bool ChoosesMachine();
// Installs the simulated machine; throws with the reason when it cannot.
void LoadMachine(const std::string& description);

}  // namespace strata_capture

#endif
