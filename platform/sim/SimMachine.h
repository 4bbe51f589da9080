// Control of the simulated machine behind platform/win32.h (not for the plug-in).
#ifndef STRATA_PLATFORM_SIM_SIMMACHINE_H
#define STRATA_PLATFORM_SIM_SIMMACHINE_H

#include <string>

#define STRATA_SIM_CXX_API __attribute__((visibility("default")))

namespace strata_sim {

// Loads a machine description (JSON); relative image paths are taken from the
// file's folder. Throws std::runtime_error with a clear message on a bad file.
STRATA_SIM_CXX_API void LoadMachineFile(const std::string& path);
// The same from JSON text, relative image paths taken from baseDir.
STRATA_SIM_CXX_API void LoadMachineJson(const std::string& jsonText, const std::string& baseDir);
// An empty machine: no devices, no volumes.
STRATA_SIM_CXX_API void ResetMachine();

}  // namespace strata_sim

#endif
