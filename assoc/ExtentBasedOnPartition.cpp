#include "assoc/ExtentBasedOnPartition.h"

#include "ldm/DatabaseLookup.h"
#include "assoc/ReferencePairs.h"

using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMValue;

namespace strata_col {

namespace {

// The PartitionType the partition instances give dynamic-disk partitions.
const unsigned short kDynamicPartitionType = 4;

}  // namespace

std::vector<ReferenceMap> ExtentBasedOnPartition::Collect(
    boost::shared_ptr<ICIMNamespace> nameSpace, const DiskDatabaseMap& diskDatabases) {
    databases = &diskDatabases;
    const InstanceIndex partitions = MapDynamicPartitions(nameSpace);
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

InstanceIndex ExtentBasedOnPartition::MapDynamicPartitions(
    boost::shared_ptr<ICIMNamespace> nameSpace) {
    InstanceIndex byVolume;
    const RecordOwners owners(*databases, &LDMDataBase::partitions);
    for (const InstancePtr& partition : ReadInstances(nameSpace, "ORVA_DiskPartition")) {
        const TCIMValue type = ReadPropertyValue(partition, "PartitionType");
        if (type.IsNull() || static_cast<unsigned short>(type) != kDynamicPartitionType) continue;
        std::string deviceId;
        if (!ReadPropertyText(partition, "DeviceID", deviceId)) continue;
        // A dynamic-disk partition's DeviceID is its record's ObjectID.
        const LDMDataBase* database = owners.Find(deviceId);
        if (!database) continue;
        const RecordMap& record = *FindRecord(database->partitions, deviceId);
        byVolume.insert(std::make_pair(VolumeIdOfPartition(*database, record), partition));
    }
    return byVolume;
}

}  // namespace strata_col
