#include "assoc/DiskGroupJoin.h"

#include "assoc/ReferencePairs.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

InstanceMap MapGroupsByCollectionID(boost::shared_ptr<ICIMNamespace> nameSpace) {
    InstanceMap groups;
    for (const InstancePtr& group : ReadInstances(nameSpace, "ORVA_DynamicDiskGroup")) {
        std::string collectionId;
        if (ReadPropertyText(group, "CollectionID", collectionId)) {
            groups.insert(std::make_pair(collectionId, group));
        }
    }
    return groups;
}

std::vector<ReferenceMap> JoinGroupMembers(const InstanceMap& groups,
                                           const InstanceIndex& membersByGroupName) {
    std::vector<ReferenceMap> associations;
    for (const auto& group : groups) {
        const auto members = membersByGroupName.equal_range(group.first);
        for (auto member = members.first; member != members.second; ++member) {
            associations.push_back(
                MakeAssociation("Collection", group.second, "Member", member->second));
        }
    }
    return associations;
}

}  // namespace strata_col
