// One full query of a machine built to trip up the associations: basic MBR
// disks 0 and 10 to 19 (with an extended partition on disk 0), a basic GPT
// disk 20, an optical drive with a disc, and one dynamic disk group over
// disks 1, 2, 21 and 22 that mixes the three ways Windows lays out dynamic
// disks (MBR with the data region at sector 63, MBR aligned to 1 MiB, and
// GPT twice, with data regions at different places). Every association is
// checked pair by pair.
#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "tests/support/TempFolder.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/SimBuilders.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>

using nlohmann::json;
using strata_test::Extent;
using strata_test::LayoutEntry;
using strata_tools::PartitionDescription;
using strata_tools::VolumeDescription;
using telva_host::InstanceRecord;

namespace {

typedef std::vector<std::pair<std::string, std::string> > LabelPairs;

const char kGroupName[] = "Mixed-Dg0";
const std::int64_t kSectorBytes = 512;
const std::int64_t kMiB = 1 << 20;

json Part(const char* disk, std::uint64_t start, std::uint64_t size, const char* name) {
    return {{"disk", disk}, {"start", start}, {"size", size}, {"name", name}};
}

// Disk n of the group is the machine's disk n.
json GroupDescription() {
    return {
        {"diskSectors", 204800},
        {"group", {{"name", kGroupName}}},
        {"disks", {{{"name", "Disk1"}},
                   {{"name", "Disk2"}, {"dataStart", 2048}},
                   {{"name", "Disk21"}, {"style", "gpt"}},
                   {{"name", "Disk22"}, {"style", "gpt"}, {"reservedSectors", 65536}}}},
        {"volumes",
         {{{"name", "Simple1"}, {"layout", "simple"}, {"hint", "E:"},
           {"partitions", {Part("Disk21", 0, 20480, "Simple1-21")}}},
          {{"name", "Span1"}, {"layout", "spanned"}, {"hint", "F:"},
           {"partitions", {Part("Disk1", 0, 8192, "Span1-1"), Part("Disk2", 0, 8192, "Span1-2"),
                           Part("Disk21", 20480, 8192, "Span1-21")}}},
          {{"name", "Stripe1"}, {"layout", "striped"}, {"hint", "G:"},
           {"partitions", {Part("Disk2", 8192, 16384, "Stripe1-2"),
                           Part("Disk22", 0, 16384, "Stripe1-22")}}},
          {{"name", "Mirror1"}, {"layout", "mirror"}, {"hint", "H:"},
           {"partitions", {Part("Disk1", 8192, 12288, "Mirror1-1"),
                           Part("Disk22", 16384, 12288, "Mirror1-22")}}},
          {{"name", "Raid1"}, {"layout", "raid5"}, {"hint", "I:"},
           {"partitions", {Part("Disk2", 24576, 8192, "Raid1-2"),
                           Part("Disk21", 28672, 8192, "Raid1-21"),
                           Part("Disk22", 28672, 8192, "Raid1-22")}}}}}};
}

const std::map<std::string, std::string> kLayoutOfVolume = {
    {"Simple1", "Simple"}, {"Span1", "Spanned"}, {"Stripe1", "Striped"},
    {"Mirror1", "Mirror"}, {"Raid1", "RAID-5"}};

// The basic disks 10 to 19, each with one volume, N: to W:.
const std::uint32_t kFirstSmallDisk = 10;
std::string SmallDiskRoot(std::uint32_t number) {
    return std::string(1, static_cast<char>('N' + number - kFirstSmallDisk)) + ":\\";
}

std::uint32_t DiskNumber(const std::string& diskName) {
    return static_cast<std::uint32_t>(std::stoul(diskName.substr(4)));
}
std::string DriveName(const std::string& diskName) { return "Disk " + diskName.substr(4); }

strata_sim::Volume VolumeAt(const std::string& root, std::vector<strata_sim::DiskExtentDescription> extents,
                            unsigned tag) {
    strata_sim::Volume volume = strata_test::NtfsVolume(tag, {root});
    volume.extents = extents;
    volume.length.reset();
    volume.totalBytes.reset();
    return volume;
}


class WholeMachine : public ::testing::Test {
protected:
    void SetUp() override {
        strata_sim::Machine machine;
        unsigned tag = 0;
        // Disk 0: C: and an extended partition holding the logical drive L:.
        strata_sim::DriveLayout mbr;
        mbr.mbrSignature = 0x1234;
        mbr.partitions = {LayoutEntry(1, 0x07, kMiB, 100 * kMiB), LayoutEntry(0, 0x05, 101 * kMiB, 200 * kMiB),
                          LayoutEntry(2, 0x07, 102 * kMiB, 150 * kMiB)};
        mbr.partitions[0].bootIndicator = true;
        machine.devices.push_back(strata_test::FixedDisk(0, mbr, 1024 * kMiB));
        machine.volumes.push_back(VolumeAt("C:\\", {Extent(0, kMiB, 100 * kMiB)}, ++tag));
        machine.volumes.push_back(VolumeAt("L:\\", {Extent(0, 102 * kMiB, 150 * kMiB)}, ++tag));

        // Disk 20: EFI system, Microsoft reserved and basic data (M:) partitions.
        strata_sim::DriveLayout gpt;
        gpt.style = PARTITION_STYLE_GPT;
        gpt.gptDiskId.Data1 = 20;
        gpt.partitions = {LayoutEntry(1, 0x07, kMiB, 100 * kMiB), LayoutEntry(2, 0x07, 101 * kMiB, 16 * kMiB),
                          LayoutEntry(3, 0x07, 117 * kMiB, 500 * kMiB)};
        gpt.partitions[0].gptType = {0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}};
        gpt.partitions[1].gptType = {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};
        gpt.partitions[2].gptType = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
        for (strata_sim::PartitionEntry& entry : gpt.partitions) entry.gptId.Data1 = entry.number;
        machine.devices.push_back(strata_test::FixedDisk(20, gpt, 1024 * kMiB));
        machine.volumes.push_back(VolumeAt("M:\\", {Extent(20, 117 * kMiB, 500 * kMiB)}, ++tag));

        for (std::uint32_t number = kFirstSmallDisk; number < kFirstSmallDisk + 10; ++number) {
            strata_sim::DriveLayout layout;
            layout.mbrSignature = 0x5000 + number;
            layout.partitions = {LayoutEntry(1, 0x07, kMiB, 100 * kMiB)};
            machine.devices.push_back(strata_test::FixedDisk(number, layout, 1024 * kMiB));
            machine.volumes.push_back(VolumeAt(SmallDiskRoot(number), {Extent(number, kMiB, 100 * kMiB)}, ++tag));
        }

        // An optical drive with a disc in it, D:.
        strata_sim::Device cdrom;
        cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
        cdrom.instanceId = "IDE\\CDROMSTRATA\\0";
        cdrom.deviceNumber = 0;
        cdrom.length = 600 * kMiB;
        cdrom.layout = strata_sim::DriveLayout();
        cdrom.layout->partitions = {LayoutEntry(0, 0x0B, 0, 600 * kMiB)};
        machine.devices.push_back(cdrom);
        strata_sim::Volume disc = VolumeAt("D:\\", {}, ++tag);
        disc.driveType = DRIVE_CDROM;
        disc.fileSystem = "CDFS";
        disc.deviceNumber = 0;
        machine.volumes.push_back(disc);

        // The dynamic disks, each volume at its drive-letter hint with the
        // extents Windows reports: byte offsets from the start of each disk.
        group_ = strata_tools::ParseGroupDescription(GroupDescription());
        const strata_tools::DiskImageWriter writer(group_);
        for (const strata_tools::DiskDescription& disk : group_.disks) {
            writer.Write(disk.name, folder_.File(disk.image));
            machine.devices.push_back(strata_test::FixedDisk(DiskNumber(disk.name), folder_.File(disk.image)));
        }
        for (const VolumeDescription& volume : group_.volumes) {
            std::vector<strata_sim::DiskExtentDescription> extents;
            for (const PartitionDescription& partition : volume.partitions) {
                const strata_tools::DiskPlan plan = strata_tools::PlanDisk(group_, *group_.FindDisk(partition.disk));
                extents.push_back(Extent(DiskNumber(partition.disk),
                                         static_cast<std::int64_t>(plan.dataStart + partition.start) * kSectorBytes,
                                         static_cast<std::int64_t>(partition.size) * kSectorBytes));
            }
            machine.volumes.push_back(VolumeAt(volume.hint + "\\", extents, ++tag));
        }
        strata_sim::SetMachine(machine);
        session_.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
        session_.Query(telva_host::AllClasses());
    }
    void TearDown() override { strata_sim::ResetMachine(); }

    // Association ends named as the expectations name them: drives and
    // dynamic partitions and extents by Name, groups by CollectionID, the
    // rest by DeviceID.
    LabelPairs Pairs(const std::string& cls, const std::string& first = "Antecedent",
                     const std::string& second = "Dependent") const {
        std::map<std::string, std::string> labels;
        for (const char* kind : {"ORVA_MediaAccessDevice", "ORVA_DiskPartition", "ORVA_LogicalDisk",
                                 "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup"}) {
            const std::string name = kind;
            for (const InstanceRecord& instance : session_.Instances(kind, true)) {
                const bool byName = name == "ORVA_MediaAccessDevice" || name == "ORVA_DynamicExtent" ||
                                    instance.Text("PartitionType") == "4";
                labels[instance.path.ToString()] = name == "ORVA_DynamicDiskGroup" ? instance.Text("CollectionID")
                                                   : byName                        ? instance.Text("Name")
                                                                                   : instance.Text("DeviceID");
            }
        }
        LabelPairs pairs;
        for (const InstanceRecord& association : session_.Instances(cls)) {
            EXPECT_EQ(2u, association.properties.size()) << cls;
            std::string ends[2];
            const std::string roles[2] = {first, second};
            for (int i = 0; i < 2; ++i) {
                const NTELVA20::TCIMValue* value = association.Find(roles[i]);
                const auto label = value != nullptr && value->IsReference()
                                       ? labels.find(value->GetReference().ToString())
                                       : labels.end();
                if (label == labels.end()) {
                    ADD_FAILURE() << cls << "." << roles[i] << " names no committed instance";
                } else {
                    ends[i] = label->second;
                }
            }
            pairs.push_back({ends[0], ends[1]});
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }

    // `basic` and (first, second) for every partition of every dynamic
    // volume, made by `pair`, sorted and without repeats.
    template <typename MakePair>
    LabelPairs Expected(LabelPairs basic, MakePair pair) const {
        for (const VolumeDescription& volume : group_.volumes) {
            for (const PartitionDescription& partition : volume.partitions) basic.push_back(pair(volume, partition));
        }
        std::sort(basic.begin(), basic.end());
        basic.erase(std::unique(basic.begin(), basic.end()), basic.end());
        return basic;
    }

    strata_tools::GroupDescription group_;
    strata_test::TempFolder folder_;
    strata_test::CapturedLog log_;
    telva_host::HostSession session_;
};

TEST_F(WholeMachine, DrivesPartitionsAndVolumesArePaired) {
    LabelPairs media = {{"Disk 0", "C:\\"}, {"Disk 0", "L:\\"}, {"Disk 20", "M:\\"}};
    LabelPairs partitions = {{"Disk 0", "Disk 0,Partition 1"},   {"Disk 0", "Disk 0,Partition 0"},
                             {"Disk 0", "Disk 0,Partition 2"},   {"Disk 20", "Disk 20,Partition 1"},
                             {"Disk 20", "Disk 20,Partition 2"}, {"Disk 20", "Disk 20,Partition 3"}};
    LabelPairs basedOn = {{"Disk 0,Partition 1", "C:\\"}, {"Disk 0,Partition 2", "L:\\"},
                          {"Disk 20,Partition 3", "M:\\"}};
    for (std::uint32_t number = kFirstSmallDisk; number < kFirstSmallDisk + 10; ++number) {
        const std::string drive = "Disk " + std::to_string(number);
        media.push_back({drive, SmallDiskRoot(number)});
        partitions.push_back({drive, drive + ",Partition 1"});
        basedOn.push_back({drive + ",Partition 1", SmallDiskRoot(number)});
    }
    EXPECT_EQ(Expected(media, [](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(DriveName(p.disk), v.hint + "\\");
              }),
              Pairs("ORVA_MediaPresent"));
    // A GPT disk has no MBR signature, and a dynamic disk without one gets
    // no PartitionPresent, with a log line each.
    LabelPairs onMbrDisks;
    for (const auto& pair : Expected(partitions, [](const VolumeDescription&, const PartitionDescription& p) {
             return std::make_pair(DriveName(p.disk), p.name);
         })) {
        if (pair.first != "Disk 21" && pair.first != "Disk 22") onMbrDisks.push_back(pair);
    }
    EXPECT_EQ(onMbrDisks, Pairs("ORVA_PartitionPresent"));
    EXPECT_EQ(2, log_.CountContaining("CIM value is null, not assigning value to string."));
    EXPECT_EQ(Expected(basedOn, [](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(p.name, v.hint + "\\");
              }),
              Pairs("ORVA_LogicalDiskBasedOnPartition"));
    EXPECT_TRUE(session_.Instances("ORVA_LogicalDiskBasedOnExtent").empty());
}

TEST_F(WholeMachine, DynamicVolumesExtentsAndTheGroupArePaired) {
    EXPECT_EQ(Expected({}, [](const VolumeDescription& v, const PartitionDescription&) {
                  return std::make_pair(v.name, v.hint + "\\");
              }),
              Pairs("ORVA_DynamicVolumeBasedOnExtent"));
    EXPECT_EQ(Expected({}, [](const VolumeDescription& v, const PartitionDescription& p) {
                  return std::make_pair(p.name, v.name);
              }),
              Pairs("ORVA_DynamicExtentBasedOn"));
    EXPECT_EQ(Expected({}, [](const VolumeDescription&, const PartitionDescription& p) {
                  return std::make_pair(std::string(kGroupName), DriveName(p.disk));
              }),
              Pairs("ORVA_DriveInDynamicDiskGroup", "Collection", "Member"));
    EXPECT_EQ(Expected({}, [](const VolumeDescription& v, const PartitionDescription&) {
                  return std::make_pair(std::string(kGroupName), v.name);
              }),
              Pairs("ORVA_DynamicExtentInDiskGroup", "Collection", "Member"));
    EXPECT_EQ(0, log_.CountContaining("encountered exception"));
    EXPECT_EQ(0, log_.CountContaining("Attempted creation of instance"));
}

TEST_F(WholeMachine, EveryDynamicPartitionAndVolumeComesFromTheDatabase) {
    std::map<std::string, std::string> diskTypes;
    for (const InstanceRecord& drive : session_.Instances("ORVA_DiskDrive")) {
        diskTypes[drive.Text("Name")] = drive.Text("DiskType");
    }
    std::map<std::string, std::string> expectedTypes = {{"Disk 0", "1"}, {"Disk 20", "1"}};
    for (std::uint32_t number = kFirstSmallDisk; number < kFirstSmallDisk + 10; ++number) {
        expectedTypes["Disk " + std::to_string(number)] = "1";
    }
    for (const char* dynamic : {"Disk 1", "Disk 2", "Disk 21", "Disk 22"}) expectedTypes[dynamic] = "2";
    EXPECT_EQ(expectedTypes, diskTypes);

    LabelPairs dynamic;
    for (const InstanceRecord& partition : session_.Instances("ORVA_DiskPartition")) {
        if (partition.Text("PartitionType") == "4") dynamic.push_back({partition.Text("Name"), ""});
    }
    std::sort(dynamic.begin(), dynamic.end());
    EXPECT_EQ(Expected({}, [](const VolumeDescription&, const PartitionDescription& p) {
                  return std::make_pair(p.name, std::string());
              }),
              dynamic);

    std::map<std::string, InstanceRecord> byRoot;
    for (const InstanceRecord& logicalDisk : session_.Instances("ORVA_LogicalDisk")) {
        byRoot[logicalDisk.Text("DeviceID")] = logicalDisk;
    }
    for (const VolumeDescription& volume : group_.volumes) {
        const std::string root = volume.hint + "\\";
        ASSERT_EQ(1u, byRoot.count(root)) << root;
        EXPECT_EQ(kLayoutOfVolume.at(volume.name), byRoot[root].Text("VolumeLayout")) << root;
        EXPECT_EQ("ACTIVE", byRoot[root].Text("VolumeState")) << root;
        EXPECT_EQ(std::to_string(volume.size * kSectorBytes), byRoot[root].Text("TotalSpace")) << root;
        EXPECT_FALSE(log_.Has("Volume layout and state information for \\\\.\\" + volume.hint + " not found"));
    }
    EXPECT_EQ("Unknown", byRoot["C:\\"].Text("VolumeLayout"));
}

}  // namespace
