#include "assoc/ReferencePairs.h"

using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;

namespace strata_col {

bool ReferencePairs::Add(const TCIMReference& antecedent, const TCIMReference& dependent) {
    if (added_.count(PairOrder::Wanted(&antecedent, &dependent)) != 0) return false;
    added_.insert(pairs_.insert(std::make_pair(antecedent, dependent)));
    return true;
}

void AddPair(ReferencePairs& pairs, const InstancePtr& antecedent, const InstancePtr& dependent) {
    pairs.Add(ReferenceOf(antecedent), ReferenceOf(dependent));
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
