#include "tests/assoc/AssocHarness.h"

#include "tests/support/SimBuilders.h"

#include <algorithm>
#include <stdexcept>

using NTELVA20::ContextMap;
using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;
using strata_col::InstancePtr;

namespace assoc_test {

std::string DiskInstanceId(unsigned number) {
    return "SCSI\\DISK&VEN_STRATA\\" + std::to_string(number);
}

strata_sim::Volume RootVolume(const std::string& root) {
    // Each drive letter gets its own volume GUID.
    strata_sim::Volume volume = strata_test::NtfsVolume(static_cast<unsigned>(root.at(0)), {root});
    volume.length.reset();
    return volume;
}

AssocHarness::AssocHarness() { strata_sim::ResetMachine(); }

AssocHarness::~AssocHarness() { strata_sim::ResetMachine(); }

InstancePtr AssocHarness::Add(const std::string& className, const Properties& properties) {
    InstancePtr instance = session.ClassFor(className)->CreateInstance(ContextMap());
    if (!instance) throw std::runtime_error("the host makes no instance of " + className);
    Properties all = {{"SystemCreationClassName", "ORVA_ComputerSystem"},
                      {"SystemName", "STRATA-SIM"},
                      {"CreationClassName", className}};
    all.insert(all.end(), properties.begin(), properties.end());
    for (const auto& property : all) {
        const TCIMValue::TCIMType type =
            instance->GetProperty(property.first, ContextMap())->GetType(ContextMap());
        instance->SetProperty(property.first, TCIMValue(type, property.second, Namespace()),
                              ContextMap());
    }
    instance->Commit(ContextMap());
    return instance;
}

InstancePtr AssocHarness::AddDiskDrive(unsigned number, const std::string& signature) {
    Properties properties = {{"DeviceID", DiskInstanceId(number)},
                             {"Name", "Disk " + std::to_string(number)}};
    if (!signature.empty()) properties.push_back({"DriveSignature", signature});
    return Add("ORVA_DiskDrive", properties);
}

InstancePtr AssocHarness::AddLogicalDisk(const std::string& deviceId) {
    return Add("ORVA_LogicalDisk", {{"DeviceID", deviceId}, {"ElementName", deviceId}});
}

InstancePtr AssocHarness::AddBasicPartition(const std::string& driveName, unsigned number,
                                            const std::string& signature) {
    const std::string id = driveName + ",Partition " + std::to_string(number);
    return Add("ORVA_DiskPartition", {{"DeviceID", id},
                                      {"Name", id},
                                      {"PartitionType", "3"},
                                      {"Signature", signature}});
}

InstancePtr AssocHarness::AddDynamicPartition(const std::string& objectId,
                                              const std::string& name) {
    return Add("ORVA_DiskPartition",
               {{"DeviceID", objectId}, {"Name", name}, {"PartitionType", "4"}});
}

InstancePtr AssocHarness::AddExtent(const std::string& volumeId, const std::string& name) {
    return Add("ORVA_DynamicExtent", {{"DeviceID", volumeId}, {"Name", name}});
}

InstancePtr AssocHarness::AddGroup(const std::string& collectionId) {
    return Add("ORVA_DynamicDiskGroup", {{"CollectionID", collectionId}});
}

std::string AssocHarness::DynamicImage(const std::string& diskGuid, const std::string& groupName) {
    return strata_test::WritePrivateHeaderImage(
        images_.path(), "dynamic-" + std::to_string(++imageCount_) + ".img", diskGuid, groupName);
}

strata_sim::Device AssocHarness::DynamicDisk(unsigned number, const std::string& diskGuid) {
    strata_sim::Device disk = strata_test::FixedDisk(number, DynamicImage(diskGuid, "Grp"));
    disk.length = 1 << 24;
    return disk;
}

std::string KeyOf(const TCIMReference& reference) {
    const auto& keys = reference.GetKeys();
    auto key = keys.find("DeviceID");
    if (key == keys.end()) key = keys.find("CollectionID");
    return key == keys.end() ? reference.ToString() : key->second;
}

KeyPairs Sorted(KeyPairs pairs) {
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

KeyPairs Keys(const std::vector<strata_col::ReferenceMap>& associations,
              const std::string& firstRole, const std::string& secondRole) {
    KeyPairs keys;
    for (const strata_col::ReferenceMap& association : associations) {
        if (association.size() != 2 || !association.count(firstRole) ||
            !association.count(secondRole)) {
            throw std::runtime_error("an association without exactly the roles " + firstRole +
                                     " and " + secondRole);
        }
        keys.push_back({KeyOf(association.find(firstRole)->second.GetReference()),
                        KeyOf(association.find(secondRole)->second.GetReference())});
    }
    return Sorted(keys);
}

KeyPairs Keys(const strata_col::ReferencePairs& pairs) {
    KeyPairs keys;
    for (const auto& pair : pairs) keys.push_back({KeyOf(pair.first), KeyOf(pair.second)});
    return Sorted(keys);
}

}  // namespace assoc_test
