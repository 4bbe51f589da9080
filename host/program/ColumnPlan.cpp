#include "host/program/ColumnPlan.h"

#include <algorithm>
#include <map>

namespace telva_host {

namespace {

typedef std::vector<std::string> Names;

const Names kDriveLead = {"Name", "Size", "DiskType", "DiskStatus", "NoOfPartitions",
                          "MediaType", "DriveSignature", "DeviceID"};

const std::map<std::string, Names>& LeadColumns() {
    static const std::map<std::string, Names> lead = {
        {"ORVA_DiskDrive", kDriveLead},
        {"ORVA_CDROMDrive", kDriveLead},
        {"ORVA_DVDDrive", kDriveLead},
        {"ORVA_TapeDrive", kDriveLead},
        {"ORVA_DisketteDrive", kDriveLead},
        {"ORVA_DiskPartition",
         {"DeviceID", "Name", "Size", "PartitionType", "StartingOffset", "PartitionSubType",
          "Bootable", "PrimaryPartition", "FaultTolerant", "Allocatable", "Signature"}},
        {"ORVA_LogicalDisk",
         {"DeviceID", "OtherIdentifyingInfo", "FileSystemName", "TotalSpace", "FreeSpace",
          "VolumeLayout", "VolumeState", "DriveType", "DiskQuotaStatus"}},
        {"ORVA_DynamicExtent", {"DeviceID", "Name", "Size", "PartitionType", "Access"}},
        {"ORVA_DynamicDiskGroup", {"CollectionID", "DiskGroupID"}},
    };
    return lead;
}

// The same for every instance; the report names the system once.
bool IsSystemKey(const std::string& name) {
    return name == "SystemCreationClassName" || name == "SystemName" || name == "CreationClassName";
}

// Every property set in some instance, in schema order: instances list
// their set properties in that order, so a property missing from the
// first instances goes right after the one it follows elsewhere.
Names SetProperties(const std::vector<InstanceRecord>& instances) {
    Names names;
    for (const InstanceRecord& instance : instances) {
        std::size_t insertAt = 0;
        for (const auto& property : instance.properties) {
            auto found = std::find(names.begin(), names.end(), property.first);
            if (found == names.end()) {
                found = names.insert(names.begin() + static_cast<std::ptrdiff_t>(insertAt), property.first);
            }
            insertAt = static_cast<std::size_t>(found - names.begin()) + 1;
        }
    }
    return names;
}

bool RepeatsDeviceId(const std::string& name, const std::vector<InstanceRecord>& instances) {
    if (name == "DeviceID") return false;
    for (const InstanceRecord& instance : instances) {
        if (instance.Find("DeviceID") == nullptr || instance.Text(name) != instance.Text("DeviceID")) {
            return false;
        }
    }
    return true;
}

}  // namespace

ColumnPlan PlanColumns(const std::string& className, const std::vector<InstanceRecord>& instances) {
    const Names set = SetProperties(instances);
    Names ordered;
    auto lead = LeadColumns().find(className);
    if (lead != LeadColumns().end()) {
        for (const std::string& name : lead->second) {
            if (std::find(set.begin(), set.end(), name) != set.end()) ordered.push_back(name);
        }
    }
    for (const std::string& name : set) {
        if (std::find(ordered.begin(), ordered.end(), name) == ordered.end()) ordered.push_back(name);
    }

    ColumnPlan plan;
    for (const std::string& name : ordered) {
        if (IsSystemKey(name)) continue;
        if (!instances.empty() && RepeatsDeviceId(name, instances)) {
            plan.sameAsDeviceId.push_back(name);
        } else {
            plan.columns.push_back(name);
        }
    }
    return plan;
}

}  // namespace telva_host
