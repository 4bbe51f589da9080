#include "disk/PartitionEnum.h"
#include "disk/PartitionInformation.h"

#include "tests/support/CapturedLog.h"
#include "tests/support/DatabaseBuilder.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/RecordValue.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using namespace strata_col;
using namespace strata_test;

namespace {

const std::string kGuid = "bfcb718c-3809-44b7-ae62-c94a3bd6b057";

strata_sim::PartitionEntry Mbr(std::uint32_t number, std::uint8_t type, bool boot = false,
                               bool recognized = true) {
    strata_sim::PartitionEntry entry = LayoutEntry(number, type);
    entry.bootIndicator = boot;
    entry.recognized = recognized;
    return entry;
}

strata_sim::Device MbrDisk(std::uint32_t number, std::vector<strata_sim::PartitionEntry> entries) {
    strata_sim::DriveLayout layout;
    layout.mbrSignature = 1234;
    layout.partitions = entries;
    return FixedDisk(number, layout);
}

// "type/subtype" of each record, with its identifier.
std::vector<std::string> Summary(const std::vector<PropertyMap>& records) {
    std::vector<std::string> summary;
    for (const PropertyMap& record : records) {
        summary.push_back(Value(record, "DeviceID") + " " + Value(record, "PartitionType") + "/" +
                          Value(record, "PartitionSubType"));
    }
    return summary;
}

}  // namespace

TEST(PartitionRecords, MbrPrimaryExtendedAndLogicalDrives) {
    strata_sim::Machine machine;
    // As Windows lists them: four primary slots, then four entries per
    // extended boot record, the link entries among them.
    machine.devices = {
        MbrDisk(0, {Mbr(1, 0x07, true), Mbr(0, 0x05), Mbr(0, 0), Mbr(0, 0),
                    Mbr(2, 0x07), Mbr(0, 0x05), Mbr(0, 0), Mbr(0, 0),
                    Mbr(3, 0x87, false, false), Mbr(0, 0), Mbr(0, 0), Mbr(0, 0)}),
        MbrDisk(1, {Mbr(1, 0x0F), Mbr(2, 0x0B)})};
    strata_sim::SetMachine(machine);
    DiskDatabaseMap databases;

    const std::vector<PropertyMap> records = PartitionInformation().Collect(databases);
    EXPECT_EQ(std::vector<std::string>({"Disk 0,Partition 1 1/7", "Disk 0,Partition 0 2/0",
                                        "Disk 0,Partition 2 3/7", "Disk 0,Partition 3 0/135",
                                        "Disk 1,Partition 1 2/0", "Disk 1,Partition 2 3/11"}),
              Summary(records));
    const PropertyMap& boot = records[0];
    EXPECT_EQ("true", Value(boot, "Bootable"));
    EXPECT_EQ("true", Value(boot, "Allocatable"));
    EXPECT_EQ("true", Value(boot, "PrimaryPartition"));
    EXPECT_EQ("false", Value(boot, "FaultTolerant"));
    EXPECT_EQ("1048576", Value(boot, "Size"));
    EXPECT_EQ("2097152", Value(boot, "StartingOffset"));
    EXPECT_EQ("1234", Value(boot, "Signature"));
    EXPECT_EQ("Disk 0,Partition 1", Value(boot, "Name"));
    EXPECT_EQ("false", Value(records[2], "PrimaryPartition"));
    EXPECT_EQ("true", Value(records[3], "FaultTolerant"));  // 0x87: NTFS in a fault-tolerant set
    EXPECT_EQ("false", Value(records[3], "Allocatable"));
}

TEST(PartitionRecords, GptTypeCodes) {
    strata_sim::Machine machine;
    strata_sim::Device disk = FixedDisk(0);
    disk.layout = strata_sim::DriveLayout();
    disk.layout->style = PARTITION_STYLE_GPT;
    const GUID types[] = {
        {0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}},
        {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}},
        {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}},
        {0x5808C8AA, 0x7E8F, 0x42E0, {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}},  // LDM metadata and
        {0xAF9B60A0, 0x1431, 0x4F62, {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}},  // data, no database
        {0x0FC63DAF, 0x8483, 0x4772, {0x8E, 0x79, 0x3D, 0x69, 0xD8, 0x47, 0x7D, 0xE4}}};
    std::uint32_t number = 1;
    for (const GUID& type : types) {
        strata_sim::PartitionEntry entry;
        entry.number = number++;
        entry.gptType = type;
        disk.layout->partitions.push_back(entry);
    }
    disk.layout->partitions.push_back(strata_sim::PartitionEntry());  // unused
    machine.devices = {disk};
    strata_sim::SetMachine(machine);
    DiskDatabaseMap databases;

    const std::vector<PropertyMap> records = PartitionInformation().Collect(databases);
    EXPECT_EQ(std::vector<std::string>({"Disk 0,Partition 1 6/65535", "Disk 0,Partition 2 8/65535",
                                        "Disk 0,Partition 3 9/65535", "Disk 0,Partition 4 10/65535",
                                        "Disk 0,Partition 5 11/65535", "Disk 0,Partition 6 0/65535"}),
              Summary(records));
    EXPECT_EQ("0", Value(records[0], "Signature"));
    EXPECT_EQ("false", Value(records[0], "Bootable"));
}

TEST(PartitionRecords, OpticalDiscAndEmptyDrive) {
    strata_sim::Machine machine;
    for (std::uint32_t number : {0u, 1u}) {
        strata_sim::Device cdrom;
        cdrom.interfaceClass = strata_sim::InterfaceClass::CdRom;
        cdrom.instanceId = "IDE\\CDROMDRIVE\\" + std::to_string(number);
        cdrom.deviceNumber = number;
        cdrom.mediaPresent = number == 0;
        cdrom.length = 1 << 20;
        cdrom.layout = strata_sim::DriveLayout();
        cdrom.layout->partitions = {Mbr(0, 0x07)};
        machine.devices.push_back(cdrom);
    }
    strata_sim::SetMachine(machine);
    DiskDatabaseMap databases;

    EXPECT_EQ(std::vector<std::string>({"CD-ROM 0,Partition 0 3/7"}),
              Summary(PartitionInformation().Collect(databases)));
}

TEST(PartitionRecords, ADriveThatDoesNotOpenFailsItsGeometryProbe) {
    strata_sim::Machine machine;
    machine.devices = {MbrDisk(0, {Mbr(1, 0x07)})};
    machine.failures = {Fail("CreateFileA", "", ERROR_ACCESS_DENIED)};
    strata_sim::SetMachine(machine);
    DiskDatabaseMap databases;
    CapturedLog log;

    EXPECT_TRUE(PartitionInformation().Collect(databases).empty());
    EXPECT_TRUE(log.Has("Unable to retrieve disk geometry information", 3));
    EXPECT_TRUE(log.Has("The handle is invalid.\r\n", 4));
}

// A dynamic disk with a simple and a mirrored volume, and a record whose
// component is missing.
class DynamicPartitions : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseBuilder group;
        group.Group("1", "Dg0").Disk("2", "Disk1", kGuid);
        group.Volume("10", "Volume1", "01", "0100", "ACTIVE", "07").Component("11", "10", "02", "01");
        group.Partition("12", "Disk1-01", "11", "2", "0000000000000000", "0100");
        group.Volume("20", "Volume2", "02", "0100", "ACTIVE", "07").Component("21", "20", "02", "01");
        group.Partition("22", "Disk1-02", "21", "2", "0000000000000100", "0080");
        group.Partition("32", "Disk1-03", "99", "2", "0000000000000200", "0010");
        databases[kGuid] = group.Shared();
        image = WritePrivateHeaderImage(folder.path(), "dynamic.img", kGuid, "Dg0");
        machine.devices = {FixedDisk(0, image)};
        strata_sim::SetMachine(machine);
    }

    TempFolder folder;
    std::string image;
    strata_sim::Machine machine;
    DiskDatabaseMap databases;
};

TEST_F(DynamicPartitions, RecordsFromTheDatabase) {
    CapturedLog log;
    const std::vector<PropertyMap> records = PartitionInformation().Collect(databases);
    EXPECT_EQ(std::vector<std::string>({"12 4/07", "22 4/07"}), Summary(records));
    EXPECT_EQ("false", Value(records[0], "FaultTolerant"));
    EXPECT_EQ("true", Value(records[1], "FaultTolerant"));  // a mirror member
    EXPECT_EQ("Disk1-02", Value(records[1], "Name"));
    EXPECT_EQ("22", Value(records[1], "ElementName"));
    EXPECT_EQ("65536", Value(records[1], "Size"));
    EXPECT_EQ("131072", Value(records[1], "StartingOffset"));
    EXPECT_EQ("<absent>", Value(records[1], "Signature"));
    EXPECT_EQ(1, log.CountContaining("Partition record 32 "));
}

// 2^55 sectors of 512 bytes are 2^64 bytes: the field is left out with a
// line, never reported as a wrapped 0.
TEST_F(DynamicPartitions, SectorFieldsBeyond64BitsOfBytesAreLeftOutWithALine) {
    DatabaseBuilder group;
    group.Group("1", "Dg0").Disk("2", "Disk1", kGuid);
    group.Volume("10", "Volume1", "01", "0100", "ACTIVE", "07").Component("11", "10", "02", "01");
    group.Partition("12", "Disk1-01", "11", "2", "0080000000000000", "ffffffffffffffff");
    databases[kGuid] = group.Shared();
    CapturedLog log;
    const std::vector<PropertyMap> records = PartitionInformation().Collect(databases);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("<absent>", Value(records[0], "StartingOffset"));
    EXPECT_EQ("<absent>", Value(records[0], "Size"));
    EXPECT_EQ(1, log.CountContaining("its Start of 36028797018963968 sectors passes 64 bits of bytes; "
                                     "StartingOffset left out."));
    EXPECT_EQ(1, log.CountContaining("its Size of 18446744073709551615 sectors passes 64 bits of bytes"));
}

TEST_F(DynamicPartitions, IncompleteRecordsAloneGiveNothingAndTheLayoutIsNotUsed) {
    DatabaseBuilder group;
    group.Group("1", "Dg0").Disk("2", "Disk1", kGuid);
    group.Partition("32", "Disk1-03", "99", "2", "0000000000000200", "0010");
    databases[kGuid] = group.Shared();
    machine.devices[0].layout = strata_sim::DriveLayout();
    machine.devices[0].layout->partitions = {Mbr(1, 0x42)};  // the container partition
    strata_sim::SetMachine(machine);

    EXPECT_TRUE(PartitionInformation().Collect(databases).empty());
}
