// Reads class declarations written in MOF into a Schema. The subset:
//
//   [Association] class Name : Parent { [Key] string DeviceID; uint64 Size;
//       string Info[]; [Key] OtherClass ref Antecedent; };
//
// Qualifiers Key, Association, Abstract and Description("...") are known
// (case-insensitively, as in CIM); anything else is refused with its line.
#ifndef STRATA_HOST_CORE_MOFPARSER_H
#define STRATA_HOST_CORE_MOFPARSER_H

#include "host/core/Schema.h"

#include <string>

namespace telva_host {

// Throws TTelvaException ("schema line N: ...") on the first error.
TELVA_HOST_API Schema ParseMof(const std::string& text);

}  // namespace telva_host

#endif
