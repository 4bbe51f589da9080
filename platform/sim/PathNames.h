// Windows path and device-name texts: case-insensitive, backslash-separated.
#ifndef STRATA_PLATFORM_SIM_PATHNAMES_H
#define STRATA_PLATFORM_SIM_PATHNAMES_H

#include <cstdint>
#include <string>

#include "platform/win32.h"

namespace strata_sim {

std::string UpperText(const std::string& text);
bool EqualNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
// The text with one trailing backslash.
std::string WithBackslash(const std::string& text);

// A drive root: letters or digits (a letter first) followed by ":\", e.g. C:\.
// Windows has single letters only; longer names let a machine have more
// roots than letters.
bool IsDriveRoot(const std::string& text);
// \\?\Volume{GUID}\ .
bool IsVolumeGuidName(const std::string& text);

// Splits off the device namespace prefix \\.\ or \\?\ ; false when absent.
bool StripDevicePrefix(const std::string& path, std::string& rest);
// "PHYSICALDRIVE12" with prefix "PHYSICALDRIVE" gives 12.
bool ParseNumberedName(const std::string& name, const std::string& prefix, std::uint32_t& number);

// The interface path Windows gives a device: \\?\ + instance ID in lower
// case with backslashes as '#', then # and the interface class GUID.
std::string InterfacePath(const std::string& instanceId, const GUID& interfaceClass);

}  // namespace strata_sim

#endif
