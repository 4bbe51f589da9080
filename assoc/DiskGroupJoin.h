// Disk-group membership: the ORVA_DynamicDiskGroup instances keyed by the
// group name they carry in CollectionID, joined with members keyed by the
// name of the group they belong to.
#ifndef STRATA_ASSOC_DISKGROUPJOIN_H
#define STRATA_ASSOC_DISKGROUPJOIN_H

#include "assoc/HostInstances.h"
#include "collect/PropertyMap.h"
#include "plugin/telva.h"

#include <vector>

namespace strata_col {

// CollectionID to group instance; the first instance of a CollectionID stays.
InstanceMap MapGroupsByCollectionID(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);

// One association per member whose group name is a group's CollectionID:
// Collection the group, Member the member; groups in CollectionID order.
std::vector<ReferenceMap> JoinGroupMembers(const InstanceMap& groups,
                                           const InstanceIndex& membersByGroupName);

}  // namespace strata_col

#endif
