// A decoded database with the lookups the builders make, built once.
#ifndef STRATA_LDM_DISKDATABASE_H
#define STRATA_LDM_DISKDATABASE_H

#include "ldm/LDMDataBase.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace strata_col {

// A partition record of a disk with its Start and Size read as numbers.
struct PlacedPartition {
    std::uint64_t start;  // sectors from the disk's data region
    std::uint64_t size;   // sectors
    DiskPartitionRef ref;
};

// Partitions of one disk that share a Start and a Size, in ObjectID order.
struct PlacedPartitions {
    const PlacedPartition* first = nullptr;
    const PlacedPartition* last = nullptr;

    const PlacedPartition* begin() const { return first; }
    const PlacedPartition* end() const { return last; }
    bool empty() const { return first == last; }
};

// Never changed once built, so every drive whose database records are the
// same bytes can share one. Lookups answer as a walk of the records would,
// without the walk.
class DiskDatabase : public LDMDataBase {
public:
    explicit DiskDatabase(LDMDataBase records);
    DiskDatabase(const DiskDatabase&) = delete;
    DiskDatabase& operator=(const DiskDatabase&) = delete;

    // The partitions that lie on the disk with this GUID, in ObjectID order:
    // the disk is the Name whose GUID in the disk index is this one, compared
    // in normal form (NormalizedGuid); with several such names the last in
    // Name order; an empty record where the database lacks one.
    const std::vector<DiskPartitionRef>& PartitionsOfDisk(const std::string& diskGuid) const;

    // The partitions of that disk whose Start and Size are these sector
    // numbers (as HexTextToNumber reads the record's texts).
    PlacedPartitions PartitionsAt(const std::string& diskGuid, std::uint64_t start,
                                  std::uint64_t size) const;

    // True when a component record names the volume as its parent.
    bool VolumeHasComponent(const std::string& volumeId) const;

private:
    struct DiskPartitions {
        std::vector<DiskPartitionRef> byObjectId;
        std::vector<PlacedPartition> byPlace;  // by Start, Size, then ObjectID
    };

    const DiskPartitions* Find(const std::string& diskGuid) const;

    std::map<std::string, DiskPartitions> partitionsByName_;
    // Normal-form GUID to the disk's entry in partitionsByName_.
    std::map<std::string, const DiskPartitions*> disksByGuid_;
    std::set<std::string> volumesWithComponents_;
};

typedef boost::shared_ptr<const DiskDatabase> SharedDatabase;

// Disk GUID text (from the disk's private header) to that disk's database.
// Disks of one group usually share one database.
typedef std::map<std::string, SharedDatabase> DiskDatabaseMap;

}  // namespace strata_col

#endif
