// Loading plug-in modules at run time (dlopen, or LoadLibrary on Windows).
#ifndef STRATA_HOST_PLUGINMODULE_H
#define STRATA_HOST_PLUGINMODULE_H

#include "host/HostApi.h"

#include <string>
#include <vector>

namespace telva_host {

struct LoadedModule {
    std::string path;
    // The callback objects the module registered while it was loaded.
    std::vector<NTELVA20::IPluginCallbacks*> registered;
};

// Loads the module, whose entry point registers its callback objects. A
// module is loaded once per process: asking again gives what it registered
// the first time. Modules stay loaded until the process ends. Throws
// std::runtime_error ("cannot load plug-in PATH: reason") on failure.
TELVA_HOST_API LoadedModule LoadPluginModule(const std::string& path);

// The folder of the running program, ending in a separator.
TELVA_HOST_API std::string ProgramFolder();

// The plug-in module's file name on this system.
TELVA_HOST_API std::string DefaultPluginFileName();

}  // namespace telva_host

#endif
