// Which partition each logical disk occupies (ORVA_LogicalDiskBasedOnPartition):
// a basic volume through its device and partition numbers, a dynamic volume
// through the partition records its extents match.
//
// Methods by file: LogicalDiskBasedOnPartition.cpp holds construction,
// Collect, MapPartitions and MapLogicalDisks; PartitionDeviceID.cpp holds
// GetPartitionDeviceID.
#ifndef STRATA_ASSOC_LOGICALDISKBASEDONPARTITION_H
#define STRATA_ASSOC_LOGICALDISKBASEDONPARTITION_H

#include "assoc/HostInstances.h"
#include "assoc/ReferencePairs.h"
#include "collect/CriticalErrorsOff.h"
#include "collect/LogMessage.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"
#include "volume/StorageVolEnum.h"

#include <string>

namespace strata_col {

// Lives for one request; while it lives, opening a drive without a medium
// raises no system dialog.
class LogicalDiskBasedOnPartition {
public:
    LogicalDiskBasedOnPartition();
    virtual ~LogicalDiskBasedOnPartition() {}

    // Partition to logical disk.
    ReferencePairs Collect(const DiskDatabaseMap& databases,
                           boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);

    // The DeviceID of the basic partition that holds the volume, such as
    // Disk 0,Partition 1; empty when the system cannot tell.
    std::string GetPartitionDeviceID(const std::string& logicalDiskId);

private:
    InstanceIndex MapPartitions(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    InstanceIndex MapLogicalDisks(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                  const DiskDatabaseMap& databases);

    CriticalErrorsOff criticalErrorsOff_;
    LogMessage* log;
    PhysDiskEnum prober;
    StorageVolEnum volumes;
};

}  // namespace strata_col

#endif
