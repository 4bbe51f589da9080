// Pairs of host references and the association instances made from them.
#ifndef STRATA_ASSOC_REFERENCEPAIRS_H
#define STRATA_ASSOC_REFERENCEPAIRS_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "plugin/telva.h"

#include <map>
#include <string>
#include <vector>

namespace strata_col {

// Antecedent reference to Dependent reference, in reference order.
typedef std::multimap<NTELVA20::TCIMReference, NTELVA20::TCIMReference> ReferencePairs;

// Adds the pair of the two instances' references. A pair that is already
// present is not added again: the host would refuse the second association.
void AddPair(ReferencePairs& pairs, const InstancePtr& antecedent, const InstancePtr& dependent);

// One association per pair, in pair order, with the roles Antecedent and
// Dependent.
std::vector<ReferenceMap> AntecedentDependentMaps(const ReferencePairs& pairs);

// One association: each role names a reference to its instance.
ReferenceMap MakeAssociation(const std::string& firstRole, const InstancePtr& first,
                             const std::string& secondRole, const InstancePtr& second);

}  // namespace strata_col

#endif
