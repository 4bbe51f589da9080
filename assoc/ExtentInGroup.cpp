#include "assoc/ExtentInGroup.h"

#include "ldm/DatabaseLookup.h"
#include "ldm/DynamicDeviceIds.h"
#include "assoc/DiskGroupJoin.h"

using NTELVA20::ICIMNamespace;

namespace strata_col {

namespace {

// A database describes one disk group: its first group record names it.
std::string GroupNameOf(const LDMDataBase& database) {
    return database.diskGroups.empty() ? std::string()
                                       : RecordField(database.diskGroups.begin()->second, "Name");
}

}  // namespace

std::vector<ReferenceMap> ExtentInGroup::Collect(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    const InstanceMap groups = MapGroupsByCollectionID(nameSpace);
    return JoinGroupMembers(groups, MapExtentsByGroupName(nameSpace, databases));
}

InstanceIndex ExtentInGroup::MapExtentsByGroupName(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    InstanceIndex byGroupName;
    const DynamicDeviceIds ids(databases);
    const RecordOwners owners(databases, ids, &LDMDataBase::volumes);
    for (const InstancePtr& extent : ReadInstances(nameSpace, "ORVA_DynamicExtent")) {
        // An extent's DeviceID names its volume's record.
        const OwnedRecord volume = owners.Find(PropertyTextOr(extent, "DeviceID", ""));
        if (!volume.database || !volume.database->VolumeHasComponent(*volume.objectId)) continue;
        byGroupName.insert(std::make_pair(GroupNameOf(*volume.database), extent));
    }
    return byGroupName;
}

}  // namespace strata_col
