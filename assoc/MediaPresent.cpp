// Pairing drives with the logical disks and partitions they hold. Keys match
// by equality, so Disk 1 never claims what belongs to Disk 10 to Disk 19.
#include "assoc/MediaPresent.h"


using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMValue;

namespace strata_col {

namespace {

// A basic partition is named after its disk: Disk 0,Partition 1.
bool PartitionOfDrive(const InstancePtr& partition, const std::string& driveName) {
    std::string partitionName;
    if (!ReadPropertyText(partition, "Name", partitionName)) return false;
    const std::string prefix = driveName + ",";
    return partitionName.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

// Drives and logical disks are keyed by what the drives themselves say; the
// databases are not needed.
ReferencePairs MediaPresent::PairMediaPresent(boost::shared_ptr<ICIMNamespace> nameSpace,
                                              const DiskDatabaseMap&) {
    const InstanceIndex logicalDisks = IndexLogicalDisks(nameSpace);
    const InstanceIndex drives = IndexDrives(nameSpace);

    ReferencePairs pairs;
    for (const auto& logicalDisk : logicalDisks) {
        InstanceIndex::const_iterator drive = drives.lower_bound(logicalDisk.first);
        if (drive != drives.end() && drive->first == logicalDisk.first) {
            AddPair(pairs, drive->second, logicalDisk.second);
        }
    }
    return pairs;
}

ReferencePairs MediaPresent::PairPartitionPresent(boost::shared_ptr<ICIMNamespace> nameSpace,
                                                  const DiskDatabaseMap& databases) {
    const InstanceIndex drives = IndexDrives(nameSpace);
    const SignatureIndex basicPartitions = IndexPartitionsBySignature(nameSpace);
    const InstanceIndex dynamicPartitions = IndexDynamicPartitions(nameSpace, databases);

    ReferencePairs pairs;
    for (const auto& drive : drives) {
        const TCIMValue signature = ReadPropertyValue(drive.second, "DriveSignature");
        std::string driveName;
        const bool named = ReadPropertyText(drive.second, "Name", driveName);

        if (databases.count(drive.first) == 0) {
            if (!named) continue;
            for (const auto& partition : basicPartitions) {
                if (PartitionOfDrive(partition.second, driveName)) {
                    AddPair(pairs, drive.second, partition.second);
                }
            }
            continue;
        }

        // A dynamic disk without MBR signature (a GPT disk) is not paired.
        if (signature.IsNull()) {
            log->WriteLevel3("CIM value is null, not assigning value to string.");
            continue;
        }
        const auto onDisk = dynamicPartitions.equal_range(drive.first);
        for (auto partition = onDisk.first; partition != onDisk.second; ++partition) {
            AddPair(pairs, drive.second, partition->second);
        }
    }
    return pairs;
}

}  // namespace strata_col
