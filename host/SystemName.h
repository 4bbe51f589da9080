// The name of the hosting system, as TCIMSchemaHelper::GetSystemName reports it.
#ifndef STRATA_HOST_SYSTEMNAME_H
#define STRATA_HOST_SYSTEMNAME_H

#include "host/HostApi.h"

#include <string>

namespace telva_host {

// Replaces the machine's own name; an empty text restores it.
TELVA_HOST_API void SetSystemName(const std::string& name);
// The chosen name, else the machine's name: the computer name on Windows;
// elsewhere the simulated machine's name when the process has the simulated
// machine, else the host name.
TELVA_HOST_API std::string SystemName();

}  // namespace telva_host

#endif
