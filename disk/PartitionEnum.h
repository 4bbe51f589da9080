// Partition records of basic disks (system layout), optical discs and
// dynamic disks (their own database).
#ifndef STRATA_DISK_PARTITIONENUM_H
#define STRATA_DISK_PARTITIONENUM_H

#include "collect/CriticalErrorsOff.h"
#include "collect/LogMessage.h"
#include "collect/PropertyMap.h"
#include "ldm/DiskDatabase.h"
#include "ldm/DriveHeaders.h"
#include "platform/win32.h"

#include <string>
#include <vector>

namespace strata_col {

class DynamicDeviceIds;

// Lives for one collection; while it lives, the system's critical-error
// dialogs are off.
class PartitionEnum {
public:
    PartitionEnum();
    virtual ~PartitionEnum() {}

    // The partition records of every present drive of the interface class,
    // in instance-ID order.
    std::vector<PropertyMap> CollectPartitions(const GUID& interfaceClass,
                                               DiskDatabaseMap& databases);
    // The records of one drive's layout; identifiers "<disk name>,Partition N".
    std::vector<PropertyMap> BasicPartitions(HANDLE drive, const std::string& diskName);
    // One layout entry without Signature, DeviceID and Name; empty for an
    // unused entry or an extended entry after the disk's first.
    PropertyMap PartitionProperties(const PARTITION_INFORMATION_EX& entry);
private:
    // The records of the partitions a dynamic disk's database places on it.
    std::vector<PropertyMap> DynamicPartitions(const std::string& devicePath,
                                                const std::string& diskGuid,
                                                const DiskDatabaseMap& databases,
                                                const DynamicDeviceIds& ids);
    PropertyMap MbrPartitionProperties(const PARTITION_INFORMATION_EX& entry);
    PropertyMap GptPartitionProperties(const PARTITION_INFORMATION_EX& entry);

    CriticalErrorsOff criticalErrorsOff_;
    // The disks enumerated, each disk's private header read once.
    DriveHeaders drives_;
    bool extendedSeen;  // the drive's first extended entry has been reported
    LogMessage* log;
};

}  // namespace strata_col

#endif
