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
    // Orders the pairs already added by antecedent, then dependent, without
    // copying a reference: it compares the pairs in place.
    struct PairOrder {
        typedef void is_transparent;
        typedef std::pair<const NTELVA20::TCIMReference*, const NTELVA20::TCIMReference*> Wanted;
        static Wanted Of(const_iterator pair) { return Wanted(&pair->first, &pair->second); }
        static Wanted Of(const Wanted& wanted) { return wanted; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            const Wanted x = Of(a);
            const Wanted y = Of(b);
            if (*x.first < *y.first) return true;
            if (*y.first < *x.first) return false;
            return *x.second < *y.second;
        }
    };

    Pairs pairs_;
    std::set<const_iterator, PairOrder> added_;
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
