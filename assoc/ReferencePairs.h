// Pairs of host references and the association instances made from them.
#ifndef STRATA_ASSOC_REFERENCEPAIRS_H
#define STRATA_ASSOC_REFERENCEPAIRS_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "plugin/telva.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace strata_col {

// Antecedent reference to Dependent reference: in antecedent order, the
// dependents of one antecedent in the order they were added, each pair once.
class ReferencePairs {
public:
    typedef std::multimap<NTELVA20::TCIMReference, NTELVA20::TCIMReference> Pairs;
    typedef Pairs::const_iterator const_iterator;

    // False, and nothing added, when the pair is already there.
    bool Add(const NTELVA20::TCIMReference& antecedent, const NTELVA20::TCIMReference& dependent);

    const_iterator begin() const { return pairs_.begin(); }
    const_iterator end() const { return pairs_.end(); }
    std::size_t size() const { return pairs_.size(); }
    bool empty() const { return pairs_.empty(); }

private:
    Pairs pairs_;
    std::set<std::pair<NTELVA20::TCIMReference, NTELVA20::TCIMReference> > added_;
};

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
