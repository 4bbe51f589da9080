// Turns the text descriptions of instances into committed host instances.
#ifndef STRATA_COLLECT_INSTANCEBUILDER_H
#define STRATA_COLLECT_INSTANCEBUILDER_H

#include "collect/PropertyMap.h"
#include "plugin/telva.h"

#include <string>
#include <vector>

namespace strata_col {

// Creates an instance of the class, sets every property of the map with the
// property's CIM type and commits it. A failing property is logged and
// skipped; a failing commit is logged. CreateInstance failures propagate.
void BuildInstance(boost::shared_ptr<NTELVA20::ICIMClass> cimClass, const PropertyMap& properties);

// Creates, fills and commits one association instance; any host failure is
// logged and abandons this instance only.
void BuildAssociationInstance(boost::shared_ptr<NTELVA20::ICIMClass> cimClass,
                              const ReferenceMap& references);

// Cuts the text at every separator and keeps the non-empty pieces in order.
std::vector<std::string> SplitList(const std::string& text, char separator);

}  // namespace strata_col

#endif
