// How one property value reads in a text table: sizes in human units beside
// the exact number, known codes with their meaning beside the number.
#ifndef STRATA_HOST_PROGRAM_CELLTEXT_H
#define STRATA_HOST_PROGRAM_CELLTEXT_H

#include "host/HostSession.h"

#include <string>

namespace telva_host {

// Empty when the instance does not set the property.
std::string CellText(const std::string& className, const std::string& property,
                     const InstanceRecord& instance);

// The meaning of a code value of a property ("dynamic" for DiskType 2), or
// empty when the code or the property has no known meaning.
std::string CodeMeaning(const std::string& className, const std::string& property,
                        const std::string& code);

}  // namespace telva_host

#endif
