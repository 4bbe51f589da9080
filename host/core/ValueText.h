// Strict conversion of value texts to the canonical text of a CIM type.
#ifndef STRATA_HOST_CORE_VALUETEXT_H
#define STRATA_HOST_CORE_VALUETEXT_H

#include "host/HostApi.h"

#include <cstdint>
#include <string>

namespace telva_host {

// The canonical text of `text` as a value of `kind` (decimal numbers without
// leading zeros, "true"/"false"). Throws TTelvaException naming the type and
// the text when the text is not a valid value of the type. References are not
// made from text.
TELVA_HOST_API std::string CanonicalValueText(NTELVA20::TCIMValue::TCIMType::Kind kind,
                                              const std::string& text);

bool IsIntegerKind(NTELVA20::TCIMValue::TCIMType::Kind kind);
bool IsSignedKind(NTELVA20::TCIMValue::TCIMType::Kind kind);

// Canonical integer text read back as a number (used by conversions).
std::int64_t SignedValue(const std::string& canonical);
std::uint64_t UnsignedValue(const std::string& canonical);

}  // namespace telva_host

#endif
