// Which drive holds which logical disk (ORVA_MediaPresent) and which
// partition (ORVA_PartitionPresent), paired from the instances the host holds.
//
// Methods by file: MediaPresent.cpp holds PairMediaPresent and
// PairPartitionPresent; MediaPresentIndexes.cpp holds construction and the
// Index* methods.
#ifndef STRATA_ASSOC_MEDIAPRESENT_H
#define STRATA_ASSOC_MEDIAPRESENT_H

#include "assoc/HostInstances.h"
#include "assoc/ReferencePairs.h"
#include "collect/LogMessage.h"
#include "ldm/DiskDatabase.h"
#include "plugin/telva.h"

#include <cstdint>
#include <map>
#include <string>

namespace strata_col {

// Disk signature to partition instance.
typedef std::multimap<std::uint64_t, InstancePtr> SignatureIndex;

class MediaPresent {
public:
    MediaPresent();
    virtual ~MediaPresent() {}

    // Disk drives (drives whose DeviceID is a present disk's instance ID),
    // keyed by their dynamic-disk GUID, or by their Name for a basic disk.
    InstanceIndex IndexDrives(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    // Logical disks keyed by the GUID of every dynamic disk their volume
    // lies on and by the drive name of the disk that holds them.
    InstanceIndex IndexLogicalDisks(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    // Basic partitions keyed by their disk's signature.
    SignatureIndex IndexPartitionsBySignature(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace);
    // Dynamic-disk partitions keyed by the GUID of the disk their database
    // record places them on.
    InstanceIndex IndexDynamicPartitions(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                         const DiskDatabaseMap& databases);

    // Drive to logical disk.
    ReferencePairs PairMediaPresent(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                    const DiskDatabaseMap& databases);
    // Drive to partition.
    ReferencePairs PairPartitionPresent(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                        const DiskDatabaseMap& databases);

private:
    LogMessage* log;
};

}  // namespace strata_col

#endif
