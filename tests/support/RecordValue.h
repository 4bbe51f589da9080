// Reading property records the way instance building applies them.
#ifndef STRATA_TESTS_SUPPORT_RECORDVALUE_H
#define STRATA_TESTS_SUPPORT_RECORDVALUE_H

#include "collect/PropertyMap.h"

#include <string>

namespace strata_test {

// The value the instance ends up with: the last one inserted under the
// name, or "<absent>".
inline std::string Value(const strata_col::PropertyMap& record, const std::string& name) {
    auto range = record.equal_range(name);
    if (range.first == range.second) return "<absent>";
    return (--range.second)->second;
}

}  // namespace strata_test

#endif
