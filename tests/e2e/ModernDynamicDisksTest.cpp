// One full query of a machine whose dynamic disk group mixes the three ways
// Windows lays out dynamic disks: MBR with the data region at sector 63, MBR
// aligned to 1 MiB, and GPT (two disks, with data regions at different
// places). Volumes span all of them; each has its layout and state, each
// partition its instance, each association its pairs (GPT disks, having no
// MBR signature, are left out of PartitionPresent only).
#include "host/HostSession.h"
#include "tests/ldm/TempFolder.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/SimBuilders.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

using nlohmann::json;
using telva_host::InstanceRecord;

namespace {

typedef std::vector<std::pair<std::string, std::string> > LabelPairs;

const char kGroupName[] = "Modern-Dg0";
const std::int64_t kSector = 512;

json Part(const char* disk, std::uint64_t start, std::uint64_t size, const char* name) {
    return {{"disk", disk}, {"start", start}, {"size", size}, {"name", name}};
}

// Disk n of the group is the machine's disk n; disk 0 is the basic system disk.
json GroupDescription() {
    return {
        {"diskSectors", 204800},
        {"group", {{"name", kGroupName}}},
        {"disks", {{{"name", "Disk1"}},
                   {{"name", "Disk2"}, {"dataStart", 2048}},
                   {{"name", "Disk3"}, {"style", "gpt"}},
                   {{"name", "Disk4"}, {"style", "gpt"}, {"reservedSectors", 65536}}}},
        {"volumes",
         {{{"name", "Simple1"}, {"layout", "simple"}, {"hint", "E:"},
           {"partitions", {Part("Disk3", 0, 20480, "Simple1-3")}}},
          {{"name", "Span1"}, {"layout", "spanned"}, {"hint", "F:"},
           {"partitions", {Part("Disk1", 0, 8192, "Span1-1"), Part("Disk2", 0, 8192, "Span1-2"),
                           Part("Disk3", 20480, 8192, "Span1-3")}}},
          {{"name", "Stripe1"}, {"layout", "striped"}, {"hint", "G:"},
           {"partitions", {Part("Disk2", 8192, 16384, "Stripe1-2"),
                           Part("Disk4", 0, 16384, "Stripe1-4")}}},
          {{"name", "Mirror1"}, {"layout", "mirror"}, {"hint", "H:"},
           {"partitions", {Part("Disk1", 8192, 12288, "Mirror1-1"),
                           Part("Disk4", 16384, 12288, "Mirror1-4")}}},
          {{"name", "Raid1"}, {"layout", "raid5"}, {"hint", "I:"},
           {"partitions", {Part("Disk2", 24576, 8192, "Raid1-2"),
                           Part("Disk3", 28672, 8192, "Raid1-3"),
                           Part("Disk4", 28672, 8192, "Raid1-4")}}}}}};
}

const std::map<std::string, std::string> kLayoutOfVolume = {
    {"Simple1", "Simple"}, {"Span1", "Spanned"}, {"Stripe1", "Striped"},
    {"Mirror1", "Mirror"}, {"Raid1", "RAID-5"}};

const char* const kQueryOrder[] = {
    "ORVA_DiskDrive", "ORVA_DiskPartition", "ORVA_LogicalDisk", "ORVA_DynamicExtent",
    "ORVA_DynamicDiskGroup", "ORVA_MediaPresent", "ORVA_PartitionPresent",
    "ORVA_LogicalDiskBasedOnPartition", "ORVA_LogicalDiskBasedOnExtent",
    "ORVA_DynamicVolumeBasedOnExtent", "ORVA_DynamicExtentBasedOn",
    "ORVA_DriveInDynamicDiskGroup", "ORVA_DynamicExtentInDiskGroup"};

std::uint32_t DiskNumber(const std::string& diskName) {
    return static_cast<std::uint32_t>(std::stoul(diskName.substr(4)));
}

std::string DriveName(const std::string& diskName) { return "Disk " + diskName.substr(4); }

class ModernDynamicDisks : public ::testing::Test {
protected:
    void SetUp() override {
        group_ = strata_tools::ParseGroupDescription(GroupDescription());
        const strata_tools::DiskImageWriter writer(group_);
        strata_sim::Machine machine;
        strata_sim::Device system = strata_test::FixedDisk(0);
        system.length = 64 << 20;
        strata_sim::DriveLayout layout;
        strata_sim::PartitionEntry entry;
        entry.number = 1;
        entry.mbrType = 0x07;
        entry.startingOffset = 1 << 20;
        entry.length = 32 << 20;
        layout.partitions = {entry};
        system.layout = layout;
        machine.devices.push_back(system);
        strata_sim::Volume c = strata_test::NtfsVolume(1, {"C:\\"});
        c.extents = {strata_test::Extent(0, entry.startingOffset, entry.length)};
        machine.volumes.push_back(c);

        for (const strata_tools::DiskDescription& disk : group_.disks) {
            writer.Write(disk.name, folder_.File(disk.image));
            machine.devices.push_back(
                strata_test::FixedDisk(DiskNumber(disk.name), folder_.File(disk.image)));
        }
        // Each volume at its drive-letter hint, with the extents Windows
        // reports: byte offsets from the start of each disk.
        unsigned tag = 1;
        for (const strata_tools::VolumeDescription& volume : group_.volumes) {
            strata_sim::Volume mounted = strata_test::NtfsVolume(++tag, {volume.hint + "\\"});
            for (const strata_tools::PartitionDescription& partition : volume.partitions) {
                const strata_tools::DiskPlan plan =
                    strata_tools::PlanDisk(group_, *group_.FindDisk(partition.disk));
                mounted.extents.push_back(strata_test::Extent(
                    DiskNumber(partition.disk),
                    static_cast<std::int64_t>(plan.dataStart + partition.start) * kSector,
                    static_cast<std::int64_t>(partition.size) * kSector));
            }
            mounted.length.reset();
            mounted.totalBytes.reset();
            machine.volumes.push_back(mounted);
        }
        strata_sim::SetMachine(machine);
        log_.reset(new strata_test::CapturedLog());
        session_.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
        session_.Query(std::vector<std::string>(std::begin(kQueryOrder), std::end(kQueryOrder)));
    }
    void TearDown() override { strata_sim::ResetMachine(); }

    // Instances named as the expectations name them: drives and dynamic
    // partitions and extents by Name, groups by CollectionID, the rest by
    // DeviceID.
    std::map<std::string, std::string> Labels() const {
        std::map<std::string, std::string> labels;
        for (const char* cls : {"ORVA_MediaAccessDevice", "ORVA_DiskPartition", "ORVA_LogicalDisk",
                                "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup"}) {
            const std::string name = cls;
            for (const InstanceRecord& instance : session_.Instances(cls, true)) {
                std::string label = instance.Text("DeviceID");
                if (name == "ORVA_MediaAccessDevice" || name == "ORVA_DynamicExtent" ||
                    instance.Text("PartitionType") == "4") {
                    label = instance.Text("Name");
                }
                if (name == "ORVA_DynamicDiskGroup") label = instance.Text("CollectionID");
                labels[instance.path.ToString()] = label;
            }
        }
        return labels;
    }

    LabelPairs Pairs(const std::string& cls, const std::string& first,
                     const std::string& second) const {
        const std::map<std::string, std::string> labels = Labels();
        LabelPairs pairs;
        for (const InstanceRecord& association : session_.Instances(cls)) {
            std::string ends[2];
            const std::string roles[2] = {first, second};
            for (int i = 0; i < 2; ++i) {
                const NTELVA20::TCIMValue* value = association.Find(roles[i]);
                if (value == nullptr || !value->IsReference()) {
                    ADD_FAILURE() << cls << " without reference " << roles[i];
                    continue;
                }
                const auto label = labels.find(value->GetReference().ToString());
                if (label == labels.end()) {
                    ADD_FAILURE() << cls << "." << roles[i] << " names no committed instance";
                    continue;
                }
                ends[i] = label->second;
            }
            pairs.push_back({ends[0], ends[1]});
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }

    // (first, second) for every partition of every volume, made by `pair`.
    template <typename MakePair>
    LabelPairs Expected(MakePair pair, LabelPairs extra = {}) const {
        LabelPairs expected = extra;
        for (const strata_tools::VolumeDescription& volume : group_.volumes) {
            for (const strata_tools::PartitionDescription& partition : volume.partitions) {
                expected.push_back(pair(volume, partition));
            }
        }
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        return expected;
    }

    strata_tools::GroupDescription group_;
    strata_test::TempFolder folder_;
    telva_host::HostSession session_;
    std::unique_ptr<strata_test::CapturedLog> log_;
};

TEST_F(ModernDynamicDisks, EveryDiskIsDynamicAndEveryPartitionComesFromTheDatabase) {
    std::map<std::string, std::string> diskTypes;
    for (const InstanceRecord& drive : session_.Instances("ORVA_DiskDrive")) {
        diskTypes[drive.Text("Name")] = drive.Text("DiskType");
    }
    EXPECT_EQ((std::map<std::string, std::string>{
                  {"Disk 0", "1"}, {"Disk 1", "2"}, {"Disk 2", "2"}, {"Disk 3", "2"},
                  {"Disk 4", "2"}}),
              diskTypes);

    std::vector<std::string> dynamic;
    for (const InstanceRecord& partition : session_.Instances("ORVA_DiskPartition")) {
        if (partition.Text("PartitionType") == "4") dynamic.push_back(partition.Text("Name"));
    }
    std::vector<std::string> expected;
    for (const strata_tools::VolumeDescription& volume : group_.volumes) {
        for (const strata_tools::PartitionDescription& part : volume.partitions) {
            expected.push_back(part.name);
        }
    }
    std::sort(dynamic.begin(), dynamic.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, dynamic);
}

TEST_F(ModernDynamicDisks, EveryVolumeHasItsLayoutStateAndSize) {
    std::map<std::string, const InstanceRecord*> byRoot;
    const std::vector<InstanceRecord> logicalDisks = session_.Instances("ORVA_LogicalDisk");
    for (const InstanceRecord& logicalDisk : logicalDisks) {
        byRoot[logicalDisk.Text("DeviceID")] = &logicalDisk;
    }
    for (const strata_tools::VolumeDescription& volume : group_.volumes) {
        const std::string root = volume.hint + "\\";
        ASSERT_EQ(1u, byRoot.count(root)) << root;
        const InstanceRecord& logicalDisk = *byRoot[root];
        EXPECT_EQ(kLayoutOfVolume.at(volume.name), logicalDisk.Text("VolumeLayout")) << root;
        EXPECT_EQ("ACTIVE", logicalDisk.Text("VolumeState")) << root;
        EXPECT_EQ(std::to_string(volume.size * kSector), logicalDisk.Text("TotalSpace")) << root;
        EXPECT_FALSE(log_->Has("Volume layout and state information for \\\\.\\" + volume.hint +
                               " not found")) << root;
    }
    EXPECT_EQ("Unknown", byRoot["C:\\"]->Text("VolumeLayout"));
}

TEST_F(ModernDynamicDisks, DrivesPartitionsAndVolumesArePaired) {
    using strata_tools::PartitionDescription;
    using strata_tools::VolumeDescription;
    EXPECT_EQ(Expected([](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(DriveName(p.disk), v.hint + "\\");
              }, {{"Disk 0", "C:\\"}}),
              Pairs("ORVA_MediaPresent", "Antecedent", "Dependent"));
    // A GPT disk has no MBR signature, and a dynamic disk without one gets
    // no PartitionPresent, with a log line each.
    LabelPairs onMbrDisks;
    for (const auto& pair : Expected([](const VolumeDescription&, const PartitionDescription& p) {
             return std::make_pair(DriveName(p.disk), p.name);
         }, {{"Disk 0", "Disk 0,Partition 1"}})) {
        if (pair.first != "Disk 3" && pair.first != "Disk 4") onMbrDisks.push_back(pair);
    }
    EXPECT_EQ(onMbrDisks, Pairs("ORVA_PartitionPresent", "Antecedent", "Dependent"));
    EXPECT_EQ(2, log_->CountContaining("CIM value is null, not assigning value to string."));
    EXPECT_EQ(Expected([](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(p.name, v.hint + "\\");
              }, {{"Disk 0,Partition 1", "C:\\"}}),
              Pairs("ORVA_LogicalDiskBasedOnPartition", "Antecedent", "Dependent"));
}

TEST_F(ModernDynamicDisks, DynamicVolumesExtentsAndTheGroupArePaired) {
    using strata_tools::PartitionDescription;
    using strata_tools::VolumeDescription;
    EXPECT_EQ(Expected([](const VolumeDescription& v, const PartitionDescription&) {
                  return std::make_pair(v.name, v.hint + "\\");
              }),
              Pairs("ORVA_DynamicVolumeBasedOnExtent", "Antecedent", "Dependent"));
    EXPECT_EQ(Expected([](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(p.name, v.name);
              }),
              Pairs("ORVA_DynamicExtentBasedOn", "Antecedent", "Dependent"));
    EXPECT_EQ(Expected([](const VolumeDescription&, const PartitionDescription& p) {
                  return std::make_pair(std::string(kGroupName), DriveName(p.disk));
              }),
              Pairs("ORVA_DriveInDynamicDiskGroup", "Collection", "Member"));
    EXPECT_EQ(Expected([](const VolumeDescription& v, const PartitionDescription&) {
                  return std::make_pair(std::string(kGroupName), v.name);
              }),
              Pairs("ORVA_DynamicExtentInDiskGroup", "Collection", "Member"));
    EXPECT_EQ(0, log_->CountContaining("encountered exception"));
}

}  // namespace
