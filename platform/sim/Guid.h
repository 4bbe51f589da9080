// GUID texts and the storage interface and setup classes. (GUIDs as stored on
// disk: platform/GptTable.h.)
#ifndef STRATA_PLATFORM_SIM_GUID_H
#define STRATA_PLATFORM_SIM_GUID_H

#include <string>

#include "platform/sim/MachineModel.h"

namespace strata_sim {

// Reads {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, braces optional, any case.
bool ParseGuid(const std::string& text, GUID& guid);
// Upper-case text with braces, as Windows writes GUIDs.
std::string GuidText(const GUID& guid);
bool SameGuid(const GUID& a, const GUID& b);
bool IsZeroGuid(const GUID& guid);

// The device-interface class (GUID_DEVINTERFACE_DISK, ...) of a device class.
const GUID& InterfaceClassGuid(InterfaceClass cls);
// The setup class of the devices (what SP_DEVINFO_DATA.ClassGuid carries).
const GUID& SetupClassGuid(InterfaceClass cls);
// "disk", "cdrom", "tape", "floppy".
const char* InterfaceClassName(InterfaceClass cls);
bool InterfaceClassFromName(const std::string& name, InterfaceClass& cls);
bool InterfaceClassFromGuid(const GUID& guid, InterfaceClass& cls);

}  // namespace strata_sim

#endif
