#include "assoc/DynamicExtentInDiskGroup.h"

#include "ldm/DatabaseLookup.h"
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

std::vector<ReferenceMap> DynamicExtentInDiskGroup::Collect(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    const InstanceMap groups = MapGroupsByCollectionID(nameSpace);
    return JoinGroupMembers(groups, MapExtentsByGroupName(nameSpace, databases));
}

InstanceIndex DynamicExtentInDiskGroup::MapExtentsByGroupName(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    InstanceIndex byGroupName;
    const RecordOwners owners(databases, &LDMDataBase::volumes);
    for (const InstancePtr& extent : ReadInstances(nameSpace, "ORVA_DynamicExtent")) {
        // An extent's DeviceID is its volume's ObjectID.
        const std::string volumeId = PropertyTextOr(extent, "DeviceID", "");
        const DiskDatabase* database = owners.Find(volumeId);
        if (!database || !database->VolumeHasComponent(volumeId)) continue;
        byGroupName.insert(std::make_pair(GroupNameOf(*database), extent));
    }
    return byGroupName;
}

}  // namespace strata_col
