#include "tests/support/DatabaseBuilder.h"

namespace strata_test {

strata_col::SharedDatabase Share(const strata_col::LDMDataBase& records) {
    return strata_col::SharedDatabase(new strata_col::DiskDatabase(records));
}

DatabaseBuilder& DatabaseBuilder::Group(const std::string& id, const std::string& name,
                                        const std::string& groupGuid) {
    database_.diskGroups[id] = {{"ObjectID", id}, {"Name", name}, {"DiskGroupID", groupGuid},
                                {"RecordType", "35"}};
    return *this;
}

DatabaseBuilder& DatabaseBuilder::Disk(const std::string& id, const std::string& name,
                                       const std::string& guid) {
    database_.disks[id] = {{"ObjectID", id}, {"Name", name}, {"DiskID", guid}, {"RecordType", "34"}};
    database_.diskGuidByName[name] = guid;
    return *this;
}

DatabaseBuilder& DatabaseBuilder::Volume(const std::string& id, const std::string& name,
                                         const std::string& children,
                                         const std::string& sizeSectors, const std::string& state,
                                         const std::string& partitionType) {
    database_.volumes[id] = {{"ObjectID", id},          {"Name", name},
                             {"NumberOfChildren", children}, {"Size", sizeSectors},
                             {"VolumeState", state},    {"PartitionType", partitionType},
                             {"RecordType", "51"}};
    return *this;
}

DatabaseBuilder& DatabaseBuilder::Component(const std::string& id, const std::string& volumeId,
                                            const std::string& type, const std::string& children) {
    database_.components[id] = {{"ObjectID", id},
                                {"ParentID", volumeId},
                                {"ComponentType", type},
                                {"NumberOfChildren", children},
                                {"RecordType", "32"}};
    return *this;
}

DatabaseBuilder& DatabaseBuilder::Partition(const std::string& id, const std::string& name,
                                            const std::string& componentId,
                                            const std::string& diskId,
                                            const std::string& startSectors,
                                            const std::string& sizeSectors) {
    database_.partitions[id] = {{"ObjectID", id},        {"Name", name},
                                {"ParentID", componentId}, {"DiskID", diskId},
                                {"Start", startSectors}, {"Size", sizeSectors},
                                {"RecordType", "33"}};
    const auto disk = database_.disks.find(diskId);
    if (disk != database_.disks.end()) {
        database_.partitionsByDiskName.insert(std::make_pair(disk->second["Name"], id));
    }
    return *this;
}

}  // namespace strata_test
