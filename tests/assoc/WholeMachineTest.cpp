// One full query of a machine with basic MBR and GPT disks, an optical
// drive, enough disks that Disk 1 and Disk 10 to Disk 19 all exist, and the
// ten dynamic disks written by Windows: every association, pair by pair.
#include "host/HostSession.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

using nlohmann::json;
using strata_test::Extent;
using strata_test::FixedDisk;
using telva_host::InstanceRecord;

namespace {

typedef std::vector<std::pair<std::string, std::string> > LabelPairs;

const std::int64_t kMiB = 1 << 20;

// Where each dynamic-disk image sits among the machine's disks.
const std::map<std::string, std::uint32_t> kDiskOfImage = {
    {"ldm-2003r2-simple-1.img", 2},   {"ldm-2003r2-spanned-1.img", 3},
    {"ldm-2003r2-spanned-2.img", 4},  {"ldm-2003r2-striped-1.img", 5},
    {"ldm-2003r2-striped-2.img", 6},  {"ldm-2003r2-mirrored-1.img", 7},
    {"ldm-2003r2-mirrored-2.img", 8}, {"ldm-2003r2-raid5-1.img", 9},
    {"ldm-2003r2-raid5-2.img", 21},   {"ldm-2003r2-raid5-3.img", 22}};

const char* const kQueryOrder[] = {
    "ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive",
    "ORVA_DisketteDrive", "ORVA_DiskPartition", "ORVA_LogicalDisk", "ORVA_DynamicExtent",
    "ORVA_DynamicDiskGroup", "ORVA_MediaPresent", "ORVA_PartitionPresent",
    "ORVA_LogicalDiskBasedOnPartition", "ORVA_LogicalDiskBasedOnExtent",
    "ORVA_DynamicVolumeBasedOnExtent", "ORVA_DynamicExtentBasedOn",
    "ORVA_DriveInDynamicDiskGroup", "ORVA_DynamicExtentInDiskGroup"};

strata_sim::PartitionEntry MbrEntry(std::uint32_t number, std::uint8_t type, std::int64_t start,
                                    std::int64_t length, bool boot = false) {
    strata_sim::PartitionEntry entry;
    entry.number = number;
    entry.mbrType = type;
    entry.startingOffset = start;
    entry.length = length;
    entry.bootIndicator = boot;
    return entry;
}

// GPT partition types: EFI system, Microsoft reserved, basic data.
const GUID kEfiSystem = {0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}};
const GUID kReserved = {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};
const GUID kBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};

strata_sim::PartitionEntry GptEntry(std::uint32_t number, const GUID& type, std::int64_t start,
                                    std::int64_t length) {
    strata_sim::PartitionEntry entry;
    entry.number = number;
    entry.gptType = type;
    entry.gptId.Data1 = number;
    entry.startingOffset = start;
    entry.length = length;
    return entry;
}

strata_sim::Volume VolumeAt(const std::string& root, std::vector<strata_sim::DiskExtentDescription> extents,
                            unsigned tag) {
    strata_sim::Volume volume = strata_test::NtfsVolume(tag, {root});
    volume.extents = extents;
    volume.length.reset();
    volume.totalBytes.reset();
    return volume;
}

strata_sim::Device BasicDisk(std::uint32_t number, strata_sim::DriveLayout layout) {
    strata_sim::Device disk = FixedDisk(number);
    disk.length = 1024 * kMiB;
    disk.layout = layout;
    return disk;
}

strata_sim::Machine BuildMachine() {
    strata_sim::Machine machine;
    unsigned tag = 0;

    // Disk 0: C: and an extended partition holding the logical drive L:.
    strata_sim::DriveLayout mbr;
    mbr.mbrSignature = 0x1234;
    mbr.partitions = {MbrEntry(1, 0x07, kMiB, 100 * kMiB, true),
                      MbrEntry(0, 0x05, 101 * kMiB, 200 * kMiB),
                      MbrEntry(2, 0x07, 102 * kMiB, 150 * kMiB)};
    machine.devices.push_back(BasicDisk(0, mbr));
    machine.volumes.push_back(VolumeAt("C:\\", {Extent(0, kMiB, 100 * kMiB)}, ++tag));
    machine.volumes.push_back(VolumeAt("L:\\", {Extent(0, 102 * kMiB, 150 * kMiB)}, ++tag));

    // Disk 20: a basic GPT disk with its data partition as M:.
    strata_sim::DriveLayout gpt;
    gpt.style = PARTITION_STYLE_GPT;
    gpt.gptDiskId.Data1 = 20;
    gpt.partitions = {GptEntry(1, kEfiSystem, kMiB, 100 * kMiB),
                      GptEntry(2, kReserved, 101 * kMiB, 16 * kMiB),
                      GptEntry(3, kBasicData, 117 * kMiB, 500 * kMiB)};
    machine.devices.push_back(BasicDisk(20, gpt));
    machine.volumes.push_back(VolumeAt("M:\\", {Extent(20, 117 * kMiB, 500 * kMiB)}, ++tag));

    // Disks 1 and 10 to 19: one volume each, N: to X:.
    char letter = 'N';
    for (std::uint32_t number : {1u, 10u, 11u, 12u, 13u, 14u, 15u, 16u, 17u, 18u, 19u}) {
        strata_sim::DriveLayout layout;
        layout.mbrSignature = 0x5000 + number;
        layout.partitions = {MbrEntry(1, 0x07, kMiB, 100 * kMiB)};
        machine.devices.push_back(BasicDisk(number, layout));
        machine.volumes.push_back(
            VolumeAt(std::string(1, letter++) + ":\\", {Extent(number, kMiB, 100 * kMiB)}, ++tag));
    }

    // An optical drive with a disc in it, D:.
    strata_sim::Device cdrom;
    cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
    cdrom.instanceId = "IDE\\CDROMSTRATA\\0";
    cdrom.deviceNumber = 0;
    cdrom.length = 600 * kMiB;
    strata_sim::DriveLayout disc;
    disc.partitions = {MbrEntry(0, 0x0B, 0, 600 * kMiB)};
    cdrom.layout = disc;
    machine.devices.push_back(cdrom);
    strata_sim::Volume cdVolume = VolumeAt("D:\\", {}, ++tag);
    cdVolume.driveType = DRIVE_CDROM;
    cdVolume.fileSystem = "CDFS";
    cdVolume.deviceNumber = 0;
    machine.volumes.push_back(cdVolume);

    // The dynamic disks, each volume presented at its drive-letter hint with
    // the extents Windows reports for it.
    const json& group = strata_test::FixtureFacts()["diskgroups"][0];
    std::map<std::string, json> diskOfName, partitionOfName;
    for (const json& disk : group["disks"]) diskOfName[disk["name"]] = disk;
    for (const json& partition : group["partitions"]) partitionOfName[partition["name"]] = partition;
    for (const auto& image : kDiskOfImage) {
        machine.devices.push_back(FixedDisk(image.second, strata_test::FixtureImage(image.first)));
    }
    for (const json& volume : group["volumes"]) {
        std::vector<strata_sim::DiskExtentDescription> extents;
        for (const json& name : volume["partitions"]) {
            const json& partition = partitionOfName[name];
            const json& disk = diskOfName[partition["disk"]];
            const std::int64_t start = disk["data-start"].get<std::int64_t>() +
                                       partition["start"].get<std::int64_t>();
            extents.push_back(Extent(kDiskOfImage.at(disk["device"]), start * 512,
                                     partition["size"].get<std::int64_t>() * 512));
        }
        machine.volumes.push_back(VolumeAt(volume["hint"].get<std::string>() + "\\", extents, ++tag));
    }
    return machine;
}

// Names each committed instance the way the expectations below do: drives
// by Name, dynamic-disk partitions and extents by their record's Name, the
// rest by DeviceID, groups by CollectionID.
std::map<std::string, std::string> LabelsOfInstances(const telva_host::HostSession& session) {
    std::map<std::string, std::string> labels;
    for (const char* cls : {"ORVA_MediaAccessDevice", "ORVA_DiskPartition", "ORVA_LogicalDisk",
                            "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup"}) {
        for (const InstanceRecord& instance : session.Instances(cls, true)) {
            std::string label = instance.Text("DeviceID");
            if (std::string(cls) == "ORVA_MediaAccessDevice" || std::string(cls) == "ORVA_DynamicExtent" ||
                instance.Text("PartitionType") == "4") {
                label = instance.Text("Name");
            }
            if (std::string(cls) == "ORVA_DynamicDiskGroup") label = instance.Text("CollectionID");
            labels[instance.path.ToString()] = label;
        }
    }
    return labels;
}

LabelPairs Associations(const telva_host::HostSession& session, const std::string& cls,
                        const std::string& firstRole, const std::string& secondRole) {
    const std::map<std::string, std::string> labels = LabelsOfInstances(session);
    LabelPairs pairs;
    for (const InstanceRecord& association : session.Instances(cls)) {
        EXPECT_EQ(2u, association.properties.size()) << cls;
        std::pair<std::string, std::string> pair;
        for (const auto& role : {std::make_pair(firstRole, &pair.first),
                                 std::make_pair(secondRole, &pair.second)}) {
            const NTELVA20::TCIMValue* value = association.Find(role.first);
            if (value == nullptr || !value->IsReference()) {
                ADD_FAILURE() << cls << " without reference " << role.first;
                continue;
            }
            const auto label = labels.find(value->GetReference().ToString());
            if (label == labels.end()) {
                ADD_FAILURE() << cls << "." << role.first << " names no committed instance: "
                              << value->GetReference().ToString();
                continue;
            }
            *role.second = label->second;
        }
        pairs.push_back(pair);
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

LabelPairs Sorted(LabelPairs pairs) {
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

class WholeMachine : public ::testing::Test {
protected:
    void SetUp() override {
        STRATA_REQUIRE_FIXTURES();
        strata_sim::SetMachine(BuildMachine());
        log.reset(new strata_test::CapturedLog());
        session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
        session.Query(std::vector<std::string>(std::begin(kQueryOrder), std::end(kQueryOrder)));
    }
    void TearDown() override { strata_sim::ResetMachine(); }

    telva_host::HostSession session;
    std::unique_ptr<strata_test::CapturedLog> log;
};

const LabelPairs kBasicDisksWithOneVolume = {
    {"Disk 1", "N:\\"},  {"Disk 10", "O:\\"}, {"Disk 11", "P:\\"}, {"Disk 12", "Q:\\"},
    {"Disk 13", "R:\\"}, {"Disk 14", "S:\\"}, {"Disk 15", "T:\\"}, {"Disk 16", "U:\\"},
    {"Disk 17", "V:\\"}, {"Disk 18", "W:\\"}, {"Disk 19", "X:\\"}};

}  // namespace

TEST_F(WholeMachine, MediaPresent) {
    LabelPairs expected = {{"Disk 0", "C:\\"},  {"Disk 0", "L:\\"},  {"Disk 20", "M:\\"},
                           {"Disk 2", "E:\\"},  {"Disk 3", "F:\\"},  {"Disk 4", "F:\\"},
                           {"Disk 5", "G:\\"},  {"Disk 6", "G:\\"},  {"Disk 5", "J:\\"},
                           {"Disk 6", "J:\\"},  {"Disk 7", "H:\\"},  {"Disk 8", "H:\\"},
                           {"Disk 9", "I:\\"},  {"Disk 21", "I:\\"}, {"Disk 22", "I:\\"}};
    expected.insert(expected.end(), kBasicDisksWithOneVolume.begin(), kBasicDisksWithOneVolume.end());
    EXPECT_EQ(Sorted(expected), Associations(session, "ORVA_MediaPresent", "Antecedent", "Dependent"));
}

TEST_F(WholeMachine, PartitionPresent) {
    LabelPairs expected = {
        {"Disk 0", "Disk 0,Partition 1"},   {"Disk 0", "Disk 0,Partition 0"},
        {"Disk 0", "Disk 0,Partition 2"},   {"Disk 20", "Disk 20,Partition 1"},
        {"Disk 20", "Disk 20,Partition 2"}, {"Disk 20", "Disk 20,Partition 3"},
        {"Disk 2", "Disk1-01"},             {"Disk 3", "Disk2-01"},
        {"Disk 4", "Disk3-01"},             {"Disk 5", "Disk4-01"},
        {"Disk 5", "Disk4-02"},             {"Disk 6", "Disk5-01"},
        {"Disk 6", "Disk5-02"},             {"Disk 7", "Disk6-01"},
        {"Disk 8", "Disk7-01"},             {"Disk 9", "Disk8-01"},
        {"Disk 21", "Disk9-01"},            {"Disk 22", "Disk10-01"}};
    for (const auto& disk : kBasicDisksWithOneVolume) {
        expected.push_back({disk.first, disk.first + ",Partition 1"});
    }
    EXPECT_EQ(Sorted(expected),
              Associations(session, "ORVA_PartitionPresent", "Antecedent", "Dependent"));
}

TEST_F(WholeMachine, LogicalDiskBasedOnPartition) {
    LabelPairs expected = {{"Disk 0,Partition 1", "C:\\"}, {"Disk 0,Partition 2", "L:\\"},
                           {"Disk 20,Partition 3", "M:\\"}, {"Disk1-01", "E:\\"},
                           {"Disk2-01", "F:\\"},           {"Disk3-01", "F:\\"},
                           {"Disk4-01", "G:\\"},           {"Disk5-01", "G:\\"},
                           {"Disk4-02", "J:\\"},           {"Disk5-02", "J:\\"},
                           {"Disk6-01", "H:\\"},           {"Disk7-01", "H:\\"},
                           {"Disk8-01", "I:\\"},           {"Disk9-01", "I:\\"},
                           {"Disk10-01", "I:\\"}};
    for (const auto& disk : kBasicDisksWithOneVolume) {
        expected.push_back({disk.first + ",Partition 1", disk.second});
    }
    EXPECT_EQ(Sorted(expected), Associations(session, "ORVA_LogicalDiskBasedOnPartition",
                                             "Antecedent", "Dependent"));
}

TEST_F(WholeMachine, DynamicVolumes) {
    EXPECT_TRUE(session.Instances("ORVA_LogicalDiskBasedOnExtent").empty());
    EXPECT_EQ(Sorted({{"Volume1", "E:\\"}, {"Volume2", "F:\\"}, {"Stripe1", "G:\\"},
                      {"Volume3", "H:\\"}, {"Raid1", "I:\\"}, {"Volume4", "J:\\"}}),
              Associations(session, "ORVA_DynamicVolumeBasedOnExtent", "Antecedent", "Dependent"));
    EXPECT_EQ(Sorted({{"Disk1-01", "Volume1"}, {"Disk2-01", "Volume2"}, {"Disk3-01", "Volume2"},
                      {"Disk4-01", "Stripe1"}, {"Disk5-01", "Stripe1"}, {"Disk4-02", "Volume4"},
                      {"Disk5-02", "Volume4"}, {"Disk6-01", "Volume3"}, {"Disk7-01", "Volume3"},
                      {"Disk8-01", "Raid1"},   {"Disk9-01", "Raid1"},   {"Disk10-01", "Raid1"}}),
              Associations(session, "ORVA_DynamicExtentBasedOn", "Antecedent", "Dependent"));
}

TEST_F(WholeMachine, DiskGroupMembership) {
    const std::string group = "Red-nzv8x6obywgDg0";
    LabelPairs drives;
    for (const char* drive : {"Disk 2", "Disk 3", "Disk 4", "Disk 5", "Disk 6", "Disk 7", "Disk 8",
                              "Disk 9", "Disk 21", "Disk 22"}) {
        drives.push_back({group, drive});
    }
    EXPECT_EQ(Sorted(drives),
              Associations(session, "ORVA_DriveInDynamicDiskGroup", "Collection", "Member"));
    LabelPairs extents;
    for (const char* volume : {"Volume1", "Volume2", "Volume3", "Volume4", "Stripe1", "Raid1"}) {
        extents.push_back({group, volume});
    }
    EXPECT_EQ(Sorted(extents),
              Associations(session, "ORVA_DynamicExtentInDiskGroup", "Collection", "Member"));
}

TEST_F(WholeMachine, NothingFailsOnTheWay) {
    EXPECT_EQ(0, log->CountContaining("encountered exception"));
    EXPECT_EQ(0, log->CountContaining("Attempted creation of instance"));
    EXPECT_EQ(0, log->CountContaining("not assigning value"));
}
