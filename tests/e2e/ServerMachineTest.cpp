// STRATA-SRV, the sample machine shaped like a real server: volumes mounted
// in folders, two disk groups whose object IDs are the same, a cloned disk,
// replies longer than a first buffer, a caller without write rights in COM's
// multithreaded apartment. Its complete report is a golden report; this
// checks what each of those means for a user.
#include "tests/e2e/LabSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using strata_test::MachineQuery;
using telva_host::InstanceRecord;
using ::testing::ElementsAre;

const MachineQuery& Server() {
    static const MachineQuery query = strata_test::QueryMachineFile(STRATA_BINARY_DIR "/samples/server.json");
    return query;
}

// The DeviceID (or CollectionID) a reference value names.
std::string KeyOf(const NTELVA20::TCIMValue* value) {
    if (value == nullptr || !value->IsReference()) return std::string();
    const auto& keys = value->GetReference().GetKeys();
    for (const char* key : {"DeviceID", "CollectionID"}) {
        const auto found = keys.find(key);
        if (found != keys.end()) return found->second;
    }
    return std::string();
}

// Each association as "antecedent -> dependent" (or collection -> member).
std::multimap<std::string, std::string> Pairs(const std::string& className) {
    std::multimap<std::string, std::string> pairs;
    for (const InstanceRecord& pair : Server().Instances(className)) {
        pairs.emplace(KeyOf(&pair.properties.at(0).second), KeyOf(&pair.properties.at(1).second));
    }
    return pairs;
}

std::set<std::string> Antecedents(const std::string& className, const std::string& dependent) {
    std::set<std::string> found;
    for (const auto& pair : Pairs(className)) {
        if (pair.second == dependent) found.insert(pair.first);
    }
    return found;
}

const InstanceRecord& ByDeviceId(const std::string& className, const std::string& deviceId) {
    for (const InstanceRecord& instance : Server().Instances(className)) {
        if (instance.Text("DeviceID") == deviceId) return instance;
    }
    static const InstanceRecord none;
    return none;
}

std::vector<std::string> DeviceIds(const std::string& className) {
    std::vector<std::string> ids;
    for (const InstanceRecord& instance : Server().Instances(className)) ids.push_back(instance.Text("DeviceID"));
    return ids;
}

bool Logged(const std::string& part) {
    for (const telva_host::LogLine& line : Server().report->log) {
        if (line.text.find(part) != std::string::npos) return true;
    }
    return false;
}

class ServerMachine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Server().report) GTEST_SKIP() << "the server sample is not built";
    }
};

// A folder mount reports the volume mounted there, whatever holds the
// folder: a dynamic volume's folder on another dynamic volume, a folder on
// ReFS (found only through the volume's path names), a folder on a volume
// without drive letter (named by its full path).
TEST_F(ServerMachine, MountFoldersReportTheVolumeMountedThere) {
    EXPECT_THAT(DeviceIds("ORVA_LogicalDisk"),
                ElementsAre("C:\\", "C:\\mnt\\", "C:\\mnt\\inner\\", "R:\\", "G:\\", "G:\\archive\\", "H:\\", "M:\\",
                            "N:\\", "L:\\", "D:\\ (CD-Rom) ", "W:\\", "R:\\vm\\"));
    for (const auto& [folder, volume] : {std::make_pair("G:\\archive\\", "H:\\"), std::make_pair("R:\\vm\\", "M:\\")}) {
        SCOPED_TRACE(folder);
        const InstanceRecord& mounted = ByDeviceId("ORVA_LogicalDisk", folder);
        const InstanceRecord& own = ByDeviceId("ORVA_LogicalDisk", volume);
        for (const char* property : {"TotalSpace", "FreeSpace", "FileSystemName", "SerialNumber", "OtherIdentifyingInfo",
                                     "DiskQuotaStatus", "VolumeLayout", "VolumeState"}) {
            ASSERT_NE(nullptr, own.Find(property)) << property;
            EXPECT_EQ(own.Text(property), mounted.Text(property)) << property;
        }
        EXPECT_EQ(Antecedents("ORVA_LogicalDiskBasedOnPartition", volume),
                  Antecedents("ORVA_LogicalDiskBasedOnPartition", folder));
        EXPECT_EQ(Antecedents("ORVA_MediaPresent", volume), Antecedents("ORVA_MediaPresent", folder));
    }
    EXPECT_EQ("Spanned", ByDeviceId("ORVA_LogicalDisk", "G:\\archive\\").Text("VolumeLayout"));
    EXPECT_EQ("34359738368", ByDeviceId("ORVA_LogicalDisk", "C:\\mnt\\inner\\").Text("TotalSpace"));
}

// Both groups number their records from 0x401: every volume and partition of
// both is reported, under DeviceIDs that name the group where the object IDs
// collide, and every association finds them. The cloned disk is a drive of
// its own; the disk's partitions are reported once, and both drives hold them.
TEST_F(ServerMachine, TwoGroupsAndACloneKeepEveryVolumeAndPartition) {
    EXPECT_FALSE(Logged("already exists"));
    EXPECT_THAT(DeviceIds("ORVA_DynamicExtent"),
                ElementsAre("0404@OLDHOSTDg0", "0407@OLDHOSTDg0", "0404@STRATA-SRVDg0", "0407@STRATA-SRVDg0"));
    std::vector<std::string> dynamicPartitions;
    for (const InstanceRecord& partition : Server().Instances("ORVA_DiskPartition")) {
        if (partition.Text("PartitionType") == "4") dynamicPartitions.push_back(partition.Text("DeviceID"));
    }
    EXPECT_THAT(dynamicPartitions, ElementsAre("0406@STRATA-SRVDg0", "0409@STRATA-SRVDg0", "040a", "0406@OLDHOSTDg0",
                                               "0409@OLDHOSTDg0", "040b"));
    EXPECT_EQ(4u, Pairs("ORVA_DynamicVolumeBasedOnExtent").size());
    EXPECT_EQ(6u, Pairs("ORVA_DynamicExtentBasedOn").size());
    EXPECT_EQ((std::set<std::string>{"0409@OLDHOSTDg0", "040b"}),
              Antecedents("ORVA_DynamicExtentBasedOn", "0407@OLDHOSTDg0"));
    EXPECT_EQ((std::set<std::string>{"OLDHOSTDg0"}), Antecedents("ORVA_DynamicExtentInDiskGroup", "0404@OLDHOSTDg0"));
    EXPECT_EQ((std::set<std::string>{"STRATA-SRVDg0"}),
              Antecedents("ORVA_DynamicExtentInDiskGroup", "0404@STRATA-SRVDg0"));

    const std::string original = "SCSI\\DISK&VEN_ATA&PROD_SRV_DISK\\4&2C3D4E5F&0&000400";
    const std::string clone = "SCSI\\DISK&VEN_ATA&PROD_SRV_DISK\\4&2C3D4E5F&0&000500";
    EXPECT_EQ("2", ByDeviceId("ORVA_DiskDrive", clone).Text("DiskType"));
    EXPECT_EQ((std::set<std::string>{original, clone}), Antecedents("ORVA_PartitionPresent", "040b"));
    EXPECT_TRUE(Logged("carries the dynamic-disk identity"));
}

// A layout of 292 entries and a list of 24 media types are read in full; the
// quota state is read without write rights and in the multithreaded
// apartment; the host's error mode is back as it was, and the empty card
// reader was never touched while dialogs could show.
TEST_F(ServerMachine, LongRepliesQuotaWithoutWriteRightsAndTheHostsErrorMode) {
    const std::string manyPartitions = "SCSI\\DISK&VEN_ATA&PROD_SRV_DISK\\4&2C3D4E5F&0&000600";
    EXPECT_EQ("145", ByDeviceId("ORVA_DiskDrive", manyPartitions).Text("NoOfPartitions"));
    EXPECT_EQ("Disk 6,Partition 73", ByDeviceId("ORVA_DiskPartition", "Disk 6,Partition 73").Text("Name"));
    EXPECT_THAT(DeviceIds("ORVA_DVDDrive"), ElementsAre(::testing::HasSubstr("DVD-RW")));
    EXPECT_EQ("DVD-ROM 0", Server().Instances("ORVA_DVDDrive").at(0).Text("Name"));

    EXPECT_EQ("1", ByDeviceId("ORVA_LogicalDisk", "C:\\").Text("DiskQuotaStatus"));
    EXPECT_EQ("2", ByDeviceId("ORVA_LogicalDisk", "C:\\mnt\\inner\\").Text("DiskQuotaStatus"));
    EXPECT_EQ(0, Server().comBalance);
    for (const std::string& request : Server().writeRequests) {
        EXPECT_EQ(std::string::npos, request.find("IDiskQuotaControl")) << request;
    }

    EXPECT_EQ(strata_test::kHostErrorMode, Server().errorModeAfter);
    EXPECT_EQ(std::vector<std::string>(), Server().dialogRisks);
}

}  // namespace
