#include "host/program/NodeLabels.h"

#include "host/program/CellText.h"
#include "host/program/HumanUnits.h"

#include <cstdint>
#include <cstdlib>

namespace telva_host {

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The volume label: the first element of OtherIdentifyingInfo.
std::string VolumeLabel(const InstanceRecord& disk) {
    const NTELVA20::TCIMValue* info = disk.Find("OtherIdentifyingInfo");
    if (info == nullptr || info->IsNull()) return std::string();
    if (!info->IsArray()) return Trimmed(info->ToString());
    return info->GetElements().empty() ? std::string() : Trimmed(info->GetElements()[0].ToString());
}

}  // namespace

void DescribeDrive(TopologyNode& node, const std::string& className, const InstanceRecord& drive) {
    if (drive.Find("Name") != nullptr) node.title = drive.Text("Name");
    std::string what;
    if (className == "ORVA_DiskDrive") {
        node.dynamic = drive.Text("DiskType") == "2";
        what = node.dynamic ? "dynamic disk" : drive.Text("MediaType") == "11" ? "removable disk" : "basic disk";
    } else if (className == "ORVA_CDROMDrive" || className == "ORVA_DVDDrive") {
        what = "optical drive";
    } else if (className == "ORVA_TapeDrive") {
        what = "tape drive";
    } else {
        what = "floppy drive";
    }
    if (drive.Find("Size") != nullptr) {
        what += ", " + HumanBytes(NumberOf(drive, "Size"));
    } else if (className != "ORVA_TapeDrive") {
        what += ", no medium";
        node.empty = true;
    }
    node.details.push_back(what);
}

void DescribePartition(TopologyNode& node, const InstanceRecord& partition) {
    const std::string type = partition.Text("PartitionType");
    node.dynamic = type == "4";
    const std::size_t comma = node.key.find(',');
    if (node.dynamic && partition.Find("Name") != nullptr) {
        node.title = partition.Text("Name");
    } else if (comma != std::string::npos) {
        node.title = node.key.substr(comma + 1);
    }
    node.start = NumberOf(partition, "StartingOffset");
    std::string what = HumanBytes(NumberOf(partition, "Size"));
    // Plain data partitions need no word; boot, extended, EFI and the like do.
    const std::string meaning = CodeMeaning("ORVA_DiskPartition", "PartitionType", type);
    if (!node.dynamic && !meaning.empty() && type != "3" && type != "9") what += ", " + meaning;
    if (partition.Text("FaultTolerant") == "true") what += ", fault tolerant";
    node.details.push_back(what);
}

void DescribeLogicalDisk(TopologyNode& node, const InstanceRecord& disk) {
    node.title = Trimmed(node.key);  // an optical drive's path ends in " (CD-Rom) "
    const std::string label = VolumeLabel(disk);
    if (!label.empty()) node.details.push_back(label);
    const std::string fileSystem = disk.Text("FileSystemName");
    if (fileSystem.empty()) {
        const std::string driveType = disk.Text("DriveType");
        node.empty = driveType == "2" || driveType == "5";  // removable or optical
        node.details.push_back(node.empty ? "no medium" : "no file system");
    } else {
        std::string what = fileSystem;
        if (disk.Find("TotalSpace") != nullptr) what += ", " + HumanBytes(NumberOf(disk, "TotalSpace"));
        node.details.push_back(what);
    }
    const std::string layout = disk.Text("VolumeLayout");
    node.dynamic = !layout.empty() && layout != "Unknown";
    const std::string quota = disk.Text("DiskQuotaStatus");
    if (quota == "1") node.details.push_back("quota tracked");
    if (quota == "2") node.details.push_back("quota enforced");
}

void DescribeExtent(TopologyNode& node, const InstanceRecord& extent, const InstanceRecord* presented) {
    if (extent.Find("Name") != nullptr) node.title = extent.Text("Name");
    node.dynamic = true;
    std::string what;
    if (presented != nullptr && presented->Find("VolumeLayout") != nullptr) what = presented->Text("VolumeLayout");
    std::uint64_t bytes = 0;
    if (ExtentBytes(extent, presented, bytes)) what += (what.empty() ? "" : ", ") + HumanBytes(bytes);
    if (!what.empty()) node.details.push_back(what);
}

}  // namespace telva_host
