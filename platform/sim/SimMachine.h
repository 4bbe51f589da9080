// Control of the simulated machine behind platform/win32.h (not for the plug-in).
#ifndef STRATA_PLATFORM_SIM_SIMMACHINE_H
#define STRATA_PLATFORM_SIM_SIMMACHINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/MachineModel.h"

#define STRATA_SIM_CXX_API __attribute__((visibility("default")))

namespace strata_sim {

// Loads a machine description (JSON); relative image paths are taken from the
// file's folder. Throws std::runtime_error with a clear message on a bad file.
STRATA_SIM_CXX_API void LoadMachineFile(const std::string& path);
// The same from JSON text, relative image paths taken from baseDir.
STRATA_SIM_CXX_API void LoadMachineJson(const std::string& jsonText, const std::string& baseDir);
// An empty machine: no devices, no volumes.
STRATA_SIM_CXX_API void ResetMachine();
// Installs a machine built in code. Missing values get their defaults and
// images are opened to learn their size and layout; throws
// std::runtime_error on an inconsistent machine. Handles opened on the
// previous machine keep working on it until closed.
STRATA_SIM_CXX_API void SetMachine(const Machine& machine);
// The installed machine with every default filled in.
STRATA_SIM_CXX_API Machine CurrentMachine();

// The computer name (the host reports it as the system name).
STRATA_SIM_CXX_API std::string MachineName();

// Process state the tests look at.
STRATA_SIM_CXX_API unsigned CurrentErrorMode();
// Successful CoInitialize calls minus CoUninitialize calls.
STRATA_SIM_CXX_API int ComBalance();
// Disk-quota control objects not yet released.
STRATA_SIM_CXX_API int LiveQuotaObjects();
// Handles from CreateFileA, SetupDiGetClassDevsA and the volume searches not yet closed.
STRATA_SIM_CXX_API int OpenHandleCount();
// Descriptors from _open not yet closed.
STRATA_SIM_CXX_API int OpenRawFileCount();
// Opens and reads of drives and volumes without a medium made since the
// machine was installed while the error mode lacked SEM_FAILCRITICALERRORS,
// as "call target": each could have stopped a Windows desktop at a "no disk"
// dialog.
STRATA_SIM_CXX_API std::vector<std::string> DialogRisks();
// As "call target", the opens since the machine was installed that asked for
// write access: CreateFileA with GENERIC_WRITE, IDiskQuotaControl::Initialize
// with readWrite. Nothing is ever written; this tells who asked.
STRATA_SIM_CXX_API std::vector<std::string> WriteRequests();
// Lines the machine wrote about bad images or descriptions since it was installed.
STRATA_SIM_CXX_API std::vector<std::string> Diagnostics();
// Nanoseconds spent inside the machine's Win32 calls since it was loaded.
STRATA_SIM_CXX_API std::int64_t BusyNanoseconds();

}  // namespace strata_sim

#endif
