// What the association tests share: a host namespace filled with instances
// by hand, a simulated machine to go with it, and the builders' results as
// readable pairs of instance keys.
#ifndef STRATA_TESTS_ASSOC_ASSOCHARNESS_H
#define STRATA_TESTS_ASSOC_ASSOCHARNESS_H

#include "assoc/HostInstances.h"
#include "assoc/ReferencePairs.h"
#include "collect/PropertyMap.h"
#include "host/HostSession.h"
#include "platform/sim/SimMachine.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/PrivateHeaderImage.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace assoc_test {

// Two dynamic disks' GUIDs; their partitions count from sector 63 in
// 512-byte sectors.
const std::string kGuidA = "aaaaaaaa-1111-4111-8111-aaaaaaaaaaaa";
const std::string kGuidB = "bbbbbbbb-2222-4222-8222-bbbbbbbbbbbb";
const std::int64_t kDataStart = 32256;
const std::int64_t kSector = 512;

typedef std::vector<std::pair<std::string, std::string> > Properties;
// (first role's key, second role's key), sorted; duplicates kept.
typedef std::vector<std::pair<std::string, std::string> > KeyPairs;

// The instance ID the sim builders give fixed disk n.
std::string DiskInstanceId(unsigned number);

// A fixed NTFS volume mounted at the drive root (C:\ ...), no extents yet.
strata_sim::Volume RootVolume(const std::string& root);

class AssocHarness {
public:
    AssocHarness();
    ~AssocHarness();

    // Commits an instance of the class with the key properties of this
    // system and the property texts, converted to the schema's types.
    strata_col::InstancePtr Add(const std::string& className, const Properties& properties);

    // Common instances, as the information classes would commit them.
    strata_col::InstancePtr AddDiskDrive(unsigned number, const std::string& signature = "");
    strata_col::InstancePtr AddLogicalDisk(const std::string& deviceId);
    strata_col::InstancePtr AddBasicPartition(const std::string& driveName, unsigned number,
                                              const std::string& signature);
    strata_col::InstancePtr AddDynamicPartition(const std::string& objectId,
                                                const std::string& name);
    strata_col::InstancePtr AddExtent(const std::string& volumeId, const std::string& name);
    strata_col::InstancePtr AddGroup(const std::string& collectionId);

    // A disk image with a private header: the drive reads as that dynamic disk.
    std::string DynamicImage(const std::string& diskGuid, const std::string& groupName);
    // Fixed disk `number` of 16 MiB that reads as dynamic disk `diskGuid` of group "Grp".
    strata_sim::Device DynamicDisk(unsigned number, const std::string& diskGuid);

    boost::shared_ptr<NTELVA20::ICIMNamespace> Namespace() const { return session.Namespace(); }

    telva_host::HostSession session;
    strata_test::CapturedLog log;

private:
    strata_test::TempFolder images_;
    int imageCount_ = 0;
};

// The key (DeviceID or CollectionID) of the instance a reference names.
std::string KeyOf(const NTELVA20::TCIMReference& reference);
KeyPairs Keys(const std::vector<strata_col::ReferenceMap>& associations,
              const std::string& firstRole = "Antecedent",
              const std::string& secondRole = "Dependent");
KeyPairs Keys(const strata_col::ReferencePairs& pairs);
KeyPairs Sorted(KeyPairs pairs);

}  // namespace assoc_test

#endif
