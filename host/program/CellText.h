// How one property value reads in a text table: sizes in human units beside
// the exact number, known codes with their meaning beside the number.
#ifndef STRATA_HOST_PROGRAM_CELLTEXT_H
#define STRATA_HOST_PROGRAM_CELLTEXT_H

#include "host/HostSession.h"

#include <cstdint>
#include <string>

namespace telva_host {

// Empty when the instance does not set the property. A dynamic extent's
// Size counts the sectors of its disks, whose size the report knows only
// from the logical disk that presents the extent (`presented`, or null).
std::string CellText(const std::string& className, const std::string& property,
                     const InstanceRecord& instance, const InstanceRecord* presented = nullptr);

// The bytes of an ORVA_DynamicExtent's Size: its sectors times the sector
// size that the presenting logical disk's TotalSpace (the volume's size in
// bytes) implies; false when there is none or it is no sector size.
bool ExtentBytes(const InstanceRecord& extent, const InstanceRecord* presented, std::uint64_t& bytes);

// A numeric property's value; 0 when unset or not a number.
std::uint64_t NumberOf(const InstanceRecord& instance, const std::string& property);

// The meaning of a code value of a property ("dynamic" for DiskType 2), or
// empty when the code or the property has no known meaning.
std::string CodeMeaning(const std::string& className, const std::string& property,
                        const std::string& code);

}  // namespace telva_host

#endif
