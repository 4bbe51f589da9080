#include "ldm/DiskDatabase.h"

#include "ldm/DatabaseLookup.h"

#include <algorithm>
#include <tuple>

namespace strata_col {

namespace {

bool PlacedBefore(const PlacedPartition& a, const PlacedPartition& b) {
    return std::tie(a.start, a.size) < std::tie(b.start, b.size);
}

}  // namespace

DiskDatabase::DiskDatabase(LDMDataBase records) : LDMDataBase(std::move(records)) {
    for (const auto& entry : partitionsByDiskName) {
        if (partitionsByName_.count(entry.first)) continue;
        DiskPartitions& disk = partitionsByName_[entry.first];
        disk.byObjectId = ListPartitionsOfDiskName(entry.first, *this);
        for (const DiskPartitionRef& partition : disk.byObjectId) {
            disk.byPlace.push_back(PlacedPartition{HexField(*partition.record, "Start"),
                                                   HexField(*partition.record, "Size"),
                                                   partition});
        }
        // Stable: partitions at the same place keep their ObjectID order.
        std::stable_sort(disk.byPlace.begin(), disk.byPlace.end(), PlacedBefore);
    }
    // Later names overwrite earlier ones: with several matches the last name
    // in key order wins.
    static const DiskPartitions kNoPartitions;
    for (const auto& entry : diskGuidByName) {
        const std::string guid = NormalizedGuid(entry.second);
        if (guid.empty()) continue;
        const auto disk = partitionsByName_.find(entry.first);
        disksByGuid_[guid] = disk == partitionsByName_.end() ? &kNoPartitions : &disk->second;
    }
    for (const auto& component : components) {
        // A component without a parent names the empty volume identifier,
        // as a field lookup that finds nothing reads it.
        const RecordMap::const_iterator parent = component.second.find("ParentID");
        volumesWithComponents_.insert(parent == component.second.end() ? std::string()
                                                                       : parent->second);
    }
}

const DiskDatabase::DiskPartitions* DiskDatabase::Find(const std::string& diskGuid) const {
    const auto disk = disksByGuid_.find(NormalizedGuid(diskGuid));
    return disk == disksByGuid_.end() ? nullptr : disk->second;
}

const std::vector<DiskPartitionRef>& DiskDatabase::PartitionsOfDisk(const std::string& diskGuid) const {
    static const std::vector<DiskPartitionRef> kNone;
    const DiskPartitions* disk = Find(diskGuid);
    return disk ? disk->byObjectId : kNone;
}

PlacedPartitions DiskDatabase::PartitionsAt(const std::string& diskGuid, std::uint64_t start,
                                            std::uint64_t size) const {
    PlacedPartitions found;
    const DiskPartitions* disk = Find(diskGuid);
    if (disk == nullptr || disk->byPlace.empty()) return found;
    const PlacedPartition wanted{start, size, DiskPartitionRef{nullptr, nullptr}};
    const auto range =
        std::equal_range(disk->byPlace.begin(), disk->byPlace.end(), wanted, PlacedBefore);
    found.first = disk->byPlace.data() + (range.first - disk->byPlace.begin());
    found.last = disk->byPlace.data() + (range.second - disk->byPlace.begin());
    return found;
}

bool DiskDatabase::VolumeHasComponent(const std::string& volumeId) const {
    return volumesWithComponents_.count(volumeId) != 0;
}

}  // namespace strata_col
