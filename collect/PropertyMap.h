// The text descriptions of instances that collectors hand to instance building.
#ifndef STRATA_COLLECT_PROPERTYMAP_H
#define STRATA_COLLECT_PROPERTYMAP_H

#include "plugin/telva.h"

#include <map>
#include <string>
#include <utility>

namespace strata_col {

// Property name to value text; equal names keep insertion order and are all
// applied, so a later entry of a name is set over an earlier one. Array
// values are their elements joined by ",".
typedef std::multimap<std::string, std::string> PropertyMap;

// Property name to a ready-made host value (references, for associations).
typedef std::multimap<std::string, NTELVA20::TCIMValue> ReferenceMap;

// Adds one more entry; an earlier entry of the name stays and is set first.
inline void AddProperty(PropertyMap& record, const std::string& name, const std::string& value) {
    record.insert(std::make_pair(name, value));
}

}  // namespace strata_col

#endif
