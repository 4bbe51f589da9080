// The whole query of the lab machine, the one ./run shows: what each class
// reports about its basic, dynamic, removable and empty drives, and how the
// associations tie them together.
#include "tests/e2e/LabSession.h"

#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using strata_test::LabInstances;
using telva_host::InstanceRecord;

namespace {

const std::vector<InstanceRecord>& Of(const std::string& className) { return LabInstances(className); }

// The instance of the class whose property has this text; fails the test
// when there is none.
InstanceRecord With(const std::string& className, const std::string& property, const std::string& text) {
    for (const InstanceRecord& instance : Of(className)) {
        if (instance.Find(property) != nullptr && instance.Text(property) == text) return instance;
    }
    ADD_FAILURE() << "no " << className << " with " << property << " " << text;
    return InstanceRecord();
}

std::string Label(const NTELVA20::TCIMValue& value) {
    const auto& keys = value.GetReference().GetKeys();
    auto id = keys.find("DeviceID");
    return id != keys.end() ? id->second : keys.at("CollectionID");
}

// Association pairs as first → second key texts.
std::multimap<std::string, std::string> Pairs(const std::string& className) {
    std::multimap<std::string, std::string> pairs;
    for (const InstanceRecord& instance : Of(className)) {
        EXPECT_EQ(2u, instance.properties.size());
        pairs.insert({Label(instance.properties[0].second), Label(instance.properties[1].second)});
    }
    return pairs;
}

std::string DiskId(int number) { return "SCSI\\DISK&VEN_ATA&PROD_LAB_DISK\\4&215468A5&0&000" + std::to_string(number) + "00"; }

class LabMachine : public ::testing::Test {
protected:
    void SetUp() override { STRATA_REQUIRE_LAB_REPORT(); }
};

TEST_F(LabMachine, DisksAreBasicOrDynamicAndTheVirtualDiskIsLeftOut) {
    std::set<std::string> names;
    for (const InstanceRecord& drive : Of("ORVA_DiskDrive")) {
        names.insert(drive.Text("Name"));
        EXPECT_EQ(std::string::npos, drive.Text("DeviceID").find("VIRTUAL"));
    }
    EXPECT_EQ((std::set<std::string>{"Disk 0", "Disk 1", "Disk 2", "Disk 3", "Disk 4", "Disk 5", "Disk 6"}),
              names);

    const InstanceRecord system = With("ORVA_DiskDrive", "Name", "Disk 0");
    EXPECT_EQ("1", system.Text("DiskType"));
    EXPECT_EQ("6", system.Text("NoOfPartitions"));  // extended and link entries count too
    EXPECT_EQ(std::to_string(0x1A2B3C4Du), system.Text("DriveSignature"));
    const InstanceRecord gpt = With("ORVA_DiskDrive", "Name", "Disk 1");
    EXPECT_EQ(nullptr, gpt.Find("DriveSignature"));
    EXPECT_EQ("3", gpt.Text("NoOfPartitions"));
    const InstanceRecord stick = With("ORVA_DiskDrive", "Name", "Disk 6");
    EXPECT_EQ("11", stick.Text("MediaType"));
    EXPECT_EQ("1", stick.Text("DiskType"));

    // The system volume lies on a basic disk, so no dynamic disk is in its group.
    const std::map<std::string, std::string> partitionsOf = {
        {"Disk 2", "2"}, {"Disk 3", "3"}, {"Disk 4", "3"}, {"Disk 5", "2"}};
    for (const auto& disk : partitionsOf) {
        const InstanceRecord drive = With("ORVA_DiskDrive", "Name", disk.first);
        EXPECT_EQ("2", drive.Text("DiskType")) << disk.first;
        EXPECT_EQ("3", drive.Text("DiskStatus")) << disk.first;
        EXPECT_EQ(disk.second, drive.Text("NoOfPartitions")) << disk.first;
        EXPECT_EQ("17179869184", drive.Text("Size")) << disk.first;
    }
}

TEST_F(LabMachine, RemovableMediaDrivesWithAndWithoutMedium) {
    // Each optical drive under both optical classes, with its own probed name.
    for (const char* className : {"ORVA_CDROMDrive", "ORVA_DVDDrive"}) {
        ASSERT_EQ(2u, Of(className).size()) << className;
        const InstanceRecord disc = With(className, "Name", "CD-ROM 0");
        EXPECT_EQ("654311424", disc.Text("Size"));
        const InstanceRecord empty = With(className, "Name", "DVD-ROM 1");
        EXPECT_EQ(nullptr, empty.Find("Size"));
        EXPECT_EQ(nullptr, empty.Find("MediaType"));
        EXPECT_EQ(nullptr, empty.Find("DiskType"));
    }
    ASSERT_EQ(1u, Of("ORVA_TapeDrive").size());
    EXPECT_EQ("Tape 0", Of("ORVA_TapeDrive")[0].Text("Name"));
    EXPECT_EQ(nullptr, Of("ORVA_TapeDrive")[0].Find("NoOfPartitions"));
    ASSERT_EQ(1u, Of("ORVA_DisketteDrive").size());
    EXPECT_EQ(nullptr, Of("ORVA_DisketteDrive")[0].Find("Size"));

    const InstanceRecord disc = With("ORVA_LogicalDisk", "DeviceID", "R:\\ (CD-Rom) ");
    EXPECT_EQ("5", disc.Text("DriveType"));
    EXPECT_EQ("CDFS", disc.Text("FileSystemName"));
    for (const char* empty : {"S:\\ (CD-Rom) ", "A:\\"}) {
        const InstanceRecord volume = With("ORVA_LogicalDisk", "DeviceID", empty);
        EXPECT_EQ(nullptr, volume.Find("FileSystemName")) << empty;
        EXPECT_EQ(nullptr, volume.Find("FreeSpace")) << empty;
        EXPECT_EQ(nullptr, volume.Find("DiskQuotaStatus")) << empty;
        EXPECT_EQ("Unknown", volume.Text("VolumeLayout")) << empty;
    }
    EXPECT_EQ("5", With("ORVA_LogicalDisk", "DeviceID", "S:\\ (CD-Rom) ").Text("DriveType"));
    EXPECT_EQ("2", With("ORVA_LogicalDisk", "DeviceID", "A:\\").Text("DriveType"));
}

TEST_F(LabMachine, PartitionsOfEachLayout) {
    std::map<std::string, int> perDisk;
    for (const InstanceRecord& partition : Of("ORVA_DiskPartition")) {
        const std::string id = partition.Text("DeviceID");
        perDisk[partition.Text("PartitionType") == "4" ? "dynamic" : id.substr(0, id.find(','))]++;
    }
    EXPECT_EQ((std::map<std::string, int>{{"Disk 0", 5}, {"Disk 1", 3}, {"Disk 6", 1}, {"CD-ROM 0", 1},
                                         {"dynamic", 10}}),
              perDisk);

    const InstanceRecord boot = With("ORVA_DiskPartition", "DeviceID", "Disk 0,Partition 1");
    EXPECT_EQ("1", boot.Text("PartitionType"));
    EXPECT_EQ("true", boot.Text("PrimaryPartition"));
    const InstanceRecord extended = With("ORVA_DiskPartition", "DeviceID", "Disk 0,Partition 0");
    EXPECT_EQ("2", extended.Text("PartitionType"));
    EXPECT_EQ("0", extended.Text("PartitionSubType"));
    EXPECT_EQ("3", With("ORVA_DiskPartition", "DeviceID", "Disk 0,Partition 4").Text("PartitionType"));
    const char* const gptCodes[] = {"6", "8", "9"};  // EFI system, Microsoft reserved, basic data
    for (int number = 1; number <= 3; ++number) {
        const InstanceRecord partition =
            With("ORVA_DiskPartition", "DeviceID", "Disk 1,Partition " + std::to_string(number));
        EXPECT_EQ(gptCodes[number - 1], partition.Text("PartitionType"));
        EXPECT_EQ("65535", partition.Text("PartitionSubType"));
        EXPECT_EQ("0", partition.Text("Signature"));
    }

    // Mirror and RAID-5 partitions are fault tolerant, the others are not.
    const InstanceRecord mirrorHalf = With("ORVA_DiskPartition", "Name", "Disk4-01");
    EXPECT_EQ("true", mirrorHalf.Text("FaultTolerant"));
    EXPECT_EQ("3221225472", mirrorHalf.Text("Size"));
    EXPECT_EQ("false", With("ORVA_DiskPartition", "Name", "Disk1-01").Text("FaultTolerant"));
    EXPECT_EQ(nullptr, mirrorHalf.Find("Signature"));
}

TEST_F(LabMachine, VolumesWithTheirLayoutFileSystemAndQuota) {
    const std::map<std::string, std::pair<std::string, std::string> > dynamic = {
        {"G:\\", {"Simple", "4294967296"}},  {"H:\\", {"Spanned", "5368709120"}},
        {"I:\\", {"Striped", "4294967296"}}, {"J:\\", {"Mirror", "3221225472"}},
        {"K:\\", {"RAID-5", "4294967296"}}};
    for (const auto& volume : dynamic) {
        const InstanceRecord disk = With("ORVA_LogicalDisk", "DeviceID", volume.first);
        EXPECT_EQ(volume.second.first, disk.Text("VolumeLayout")) << volume.first;
        EXPECT_EQ("ACTIVE", disk.Text("VolumeState")) << volume.first;
        EXPECT_EQ(volume.second.second, disk.Text("TotalSpace")) << volume.first;
    }
    for (const char* basic : {"C:\\", "D:\\", "E:\\", "F:\\", "U:\\"}) {
        EXPECT_EQ("Unknown", With("ORVA_LogicalDisk", "DeviceID", basic).Text("VolumeLayout")) << basic;
    }

    const InstanceRecord system = With("ORVA_LogicalDisk", "DeviceID", "C:\\");
    EXPECT_EQ("System (System),", system.Text("OtherIdentifyingInfo") + ",");
    EXPECT_EQ("0", system.Text("DiskQuotaStatus"));
    EXPECT_EQ("FAT32", With("ORVA_LogicalDisk", "DeviceID", "E:\\").Text("FileSystemName"));
    const InstanceRecord stick = With("ORVA_LogicalDisk", "DeviceID", "U:\\");
    EXPECT_EQ("2", stick.Text("DriveType"));
    EXPECT_EQ("2", stick.Text("DiskQuotaStatus"));

    // The folder mount is listed through C:, gets no quota (not a drive root)
    // and no length (its device path names a folder).
    const InstanceRecord folder = With("ORVA_LogicalDisk", "DeviceID", "C:\\data\\");
    EXPECT_EQ("NTFS", folder.Text("FileSystemName"));
    EXPECT_EQ(nullptr, folder.Find("DiskQuotaStatus"));
    EXPECT_EQ(nullptr, folder.Find("TotalSpace"));
    // The EFI system partition's volume has no path and so no instance.
    EXPECT_EQ(14u, Of("ORVA_LogicalDisk").size());
}

TEST_F(LabMachine, DynamicExtentsAndTheirGroup) {
    ASSERT_EQ(5u, Of("ORVA_DynamicExtent").size());
    const std::map<std::string, std::string> sizes = {{"Volume1", "8388608"}, {"Volume2", "10485760"},
                                                      {"Volume3", "8388608"}, {"Volume4", "6291456"},
                                                      {"Volume5", "8388608"}};
    for (const auto& volume : sizes) {
        EXPECT_EQ(volume.second, With("ORVA_DynamicExtent", "Name", volume.first).Text("Size"));
    }
    ASSERT_EQ(1u, Of("ORVA_DynamicDiskGroup").size());
    EXPECT_EQ("STRATA-LABDg0", Of("ORVA_DynamicDiskGroup")[0].Text("CollectionID"));
}

TEST_F(LabMachine, AssociationsJoinDrivesPartitionsExtentsAndVolumes) {
    // Disk 0 holds C:, D:, E:; Disk 1 F:; Disk 6 U:; each dynamic disk the
    // volumes it carries part of (H: and I: two disks, J: two, K: three).
    EXPECT_EQ(15u, Of("ORVA_MediaPresent").size());
    const auto media = Pairs("ORVA_MediaPresent");
    EXPECT_EQ(3u, media.count(DiskId(0)));
    EXPECT_EQ(3u, media.count(DiskId(4)));  // I:, J: and K: lie on the third dynamic disk
    EXPECT_EQ(0u, media.count("IDE\\CDROMLAB_CD-RW_DRIVE_______________________1.00____\\5&1A2B3C4D&0&1.0.0"));

    EXPECT_EQ(19u, Of("ORVA_PartitionPresent").size());  // every disk partition, none of the disc's
    const auto basedOnPartition = Pairs("ORVA_LogicalDiskBasedOnPartition");
    EXPECT_EQ(15u, basedOnPartition.size());  // C:, D:, E:, F:, U: and the ten dynamic partitions
    EXPECT_EQ(3, std::count_if(basedOnPartition.begin(), basedOnPartition.end(),
                                [](const std::pair<const std::string, std::string>& pair) { return pair.second == "K:\\"; }));
    EXPECT_EQ(1u, basedOnPartition.count("Disk 0,Partition 3"));
    EXPECT_EQ("D:\\", basedOnPartition.find("Disk 0,Partition 3")->second);

    EXPECT_TRUE(Of("ORVA_LogicalDiskBasedOnExtent").empty());
    const auto presents = Pairs("ORVA_DynamicVolumeBasedOnExtent");
    ASSERT_EQ(5u, presents.size());
    EXPECT_EQ("J:\\", presents.find(With("ORVA_DynamicExtent", "Name", "Volume4").Text("DeviceID"))->second);

    std::map<std::string, int> partitionsPerVolume;
    for (const auto& pair : Pairs("ORVA_DynamicExtentBasedOn")) {
        for (const InstanceRecord& extent : Of("ORVA_DynamicExtent")) {
            if (extent.Text("DeviceID") == pair.second) ++partitionsPerVolume[extent.Text("Name")];
        }
    }
    EXPECT_EQ((std::map<std::string, int>{{"Volume1", 1}, {"Volume2", 2}, {"Volume3", 2}, {"Volume4", 2},
                                         {"Volume5", 3}}),
              partitionsPerVolume);

    const auto drivesInGroup = Pairs("ORVA_DriveInDynamicDiskGroup");
    EXPECT_EQ((std::multimap<std::string, std::string>{{"STRATA-LABDg0", DiskId(2)}, {"STRATA-LABDg0", DiskId(3)},
                                                       {"STRATA-LABDg0", DiskId(4)}, {"STRATA-LABDg0", DiskId(5)}}),
              drivesInGroup);
    EXPECT_EQ(5u, Pairs("ORVA_DynamicExtentInDiskGroup").count("STRATA-LABDg0"));
}

TEST_F(LabMachine, TheQueryLogsNoFailureOfItsOwn) {
    for (const telva_host::LogLine& line : strata_test::LabReport()->log) {
        EXPECT_NE(0u, line.level) << line.text;  // level 0: a caught exception or an unopenable drive
    }
}

TEST_F(LabMachine, EmptyDrivesAreOnlyTouchedWithSystemDialogsOff) {
    // The empty DVD and floppy drives would each stop a desktop at a modal
    // "no disk" dialog if opened while the error mode lets it show.
    EXPECT_EQ(std::vector<std::string>(), strata_test::LabDialogRisks());

    // So would an empty card-reader slot, a disk that every disk lookup reads.
    strata_sim::LoadMachineFile(strata_test::LabMachineFile());
    strata_sim::Machine machine = strata_sim::CurrentMachine();
    strata_sim::Device reader;
    reader.instanceId = "USBSTOR\\DISK&VEN_GENERIC&PROD_SD_READER&REV_1.00\\000000000001&0";
    reader.deviceNumber = 8;
    reader.mediaPresent = false;
    reader.geometry.mediaType = RemovableMedia;
    machine.devices.push_back(reader);
    strata_sim::Volume slot;
    slot.roots = {"W:\\"};
    slot.driveType = DRIVE_REMOVABLE;
    slot.deviceNumber = 8;
    machine.volumes.push_back(slot);
    strata_sim::SetMachine(machine);
    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    session.Query(telva_host::AllClasses());
    EXPECT_EQ(std::vector<std::string>(), strata_sim::DialogRisks());
    EXPECT_EQ(1u, session.Instances("ORVA_DiskDrive").size() - Of("ORVA_DiskDrive").size());
    strata_sim::ResetMachine();
}

}  // namespace
