#include "assoc/DynamicExtentBasedOn.h"

#include "disk/PartitionTypeCodes.h"
#include "ldm/DatabaseLookup.h"
#include "ldm/DynamicDeviceIds.h"
#include "assoc/ReferencePairs.h"

using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMValue;

namespace strata_col {

std::vector<ReferenceMap> DynamicExtentBasedOn::Collect(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    const InstanceIndex partitions = MapDynamicPartitions(nameSpace, databases);
    // An extent's DeviceID is its volume's ObjectID.
    const InstanceMap extents = MapInstancesByDeviceID(nameSpace, "ORVA_DynamicExtent");

    std::vector<ReferenceMap> associations;
    for (const auto& extent : extents) {
        const auto ofVolume = partitions.equal_range(extent.first);
        for (auto partition = ofVolume.first; partition != ofVolume.second; ++partition) {
            associations.push_back(
                MakeAssociation("Antecedent", partition->second, "Dependent", extent.second));
        }
    }
    return associations;
}

InstanceIndex DynamicExtentBasedOn::MapDynamicPartitions(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& databases) {
    InstanceIndex byVolume;
    const DynamicDeviceIds ids(databases);
    const RecordOwners owners(databases, ids, &LDMDataBase::partitions);
    for (const InstancePtr& partition : ReadInstances(nameSpace, "ORVA_DiskPartition")) {
        const TCIMValue type = ReadPropertyValue(partition, "PartitionType");
        if (type.IsNull() || static_cast<unsigned short>(type) != partition_type::kDynamic) continue;
        std::string deviceId;
        if (!ReadPropertyText(partition, "DeviceID", deviceId)) continue;
        // A dynamic-disk partition's DeviceID names its record.
        const OwnedRecord owned = owners.Find(deviceId);
        if (!owned.database) continue;
        const std::string volumeId = VolumeIdOfPartition(*owned.database, *owned.record);
        if (volumeId.empty()) continue;
        byVolume.insert(
            std::make_pair(ids.DeviceId(owned.database, &LDMDataBase::volumes, volumeId), partition));
    }
    return byVolume;
}

}  // namespace strata_col
