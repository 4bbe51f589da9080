#include "assoc/ReferencePairs.h"

using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;

namespace strata_col {

void AddPair(ReferencePairs& pairs, const InstancePtr& antecedent, const InstancePtr& dependent) {
    const TCIMReference from = ReferenceOf(antecedent);
    const TCIMReference to = ReferenceOf(dependent);
    const auto range = pairs.equal_range(from);
    for (auto pair = range.first; pair != range.second; ++pair) {
        if (!(pair->second < to) && !(to < pair->second)) return;
    }
    pairs.insert(std::make_pair(from, to));
}

std::vector<ReferenceMap> AntecedentDependentMaps(const ReferencePairs& pairs) {
    std::vector<ReferenceMap> associations;
    associations.reserve(pairs.size());
    for (const auto& pair : pairs) {
        ReferenceMap references;
        references.insert(std::make_pair(std::string("Antecedent"), TCIMValue(pair.first)));
        references.insert(std::make_pair(std::string("Dependent"), TCIMValue(pair.second)));
        associations.push_back(references);
    }
    return associations;
}

ReferenceMap MakeAssociation(const std::string& firstRole, const InstancePtr& first,
                             const std::string& secondRole, const InstancePtr& second) {
    ReferenceMap references;
    references.insert(std::make_pair(firstRole, TCIMValue(ReferenceOf(first))));
    references.insert(std::make_pair(secondRole, TCIMValue(ReferenceOf(second))));
    return references;
}

}  // namespace strata_col
