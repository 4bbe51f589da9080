#include "host/program/CellText.h"

#include "host/program/HumanUnits.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

namespace telva_host {

namespace {

typedef std::map<std::string, std::string> Meanings;

// The sector sizes a disk may have.
const std::uint64_t kSmallestSector = 512;
const std::uint64_t kLargestSector = 65536;

bool IsDriveClass(const std::string& className) {
    static const std::set<std::string> drives = {"ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive",
                                                 "ORVA_TapeDrive", "ORVA_DisketteDrive"};
    return drives.count(className) != 0;
}

bool IsByteCount(const std::string& className, const std::string& property) {
    if (IsDriveClass(className)) return property == "Size";
    if (className == "ORVA_DiskPartition") return property == "Size" || property == "StartingOffset";
    if (className == "ORVA_LogicalDisk") {
        return property == "TotalSpace" || property == "FreeSpace" || property == "UserDiskFreeSpace" ||
               property == "UserDiskQuota";
    }
    return false;
}

const Meanings* MeaningsOf(const std::string& className, const std::string& property) {
    static const Meanings diskType = {{"1", "basic"}, {"2", "dynamic"}};
    static const Meanings mediaType = {{"0", "unknown"}, {"2", "3.5\" 1.44 MB"}, {"11", "removable"},
                                       {"12", "fixed"}};
    static const Meanings driveType = {{"0", "unknown"}, {"1", "no root dir"}, {"2", "removable"},
                                       {"3", "fixed"},   {"4", "remote"},      {"5", "CD-ROM"},
                                       {"6", "RAM disk"}};
    static const Meanings quota = {{"0", "disabled"}, {"1", "tracking"}, {"2", "enforcing"}};
    static const Meanings partitionType = {
        {"0", "unrecognized"}, {"1", "boot"},        {"2", "extended"},    {"3", "basic"},
        {"4", "dynamic"},      {"6", "EFI system"},  {"8", "MS reserved"}, {"9", "basic data"},
        {"10", "LDM metadata"}, {"11", "LDM data"}};
    if (IsDriveClass(className)) {
        if (property == "DiskType") return &diskType;
        if (property == "MediaType") return &mediaType;
    }
    if (className == "ORVA_LogicalDisk") {
        if (property == "DriveType") return &driveType;
        if (property == "DiskQuotaStatus") return &quota;
    }
    if (className == "ORVA_DiskPartition" && property == "PartitionType") return &partitionType;
    return nullptr;
}

std::uint64_t Unsigned(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 10); }

}  // namespace

std::string CodeMeaning(const std::string& className, const std::string& property,
                        const std::string& code) {
    const Meanings* meanings = MeaningsOf(className, property);
    if (meanings == nullptr) return std::string();
    auto found = meanings->find(code);
    return found != meanings->end() ? found->second : std::string();
}

std::uint64_t NumberOf(const InstanceRecord& instance, const std::string& property) {
    return Unsigned(instance.Text(property));
}

bool ExtentBytes(const InstanceRecord& extent, const InstanceRecord* presented, std::uint64_t& bytes) {
    if (presented == nullptr || extent.Find("Size") == nullptr || presented->Find("TotalSpace") == nullptr) {
        return false;
    }
    const std::uint64_t sectors = Unsigned(extent.Text("Size"));
    const std::uint64_t total = Unsigned(presented->Text("TotalSpace"));
    if (sectors == 0 || total % sectors != 0) return false;
    const std::uint64_t sectorBytes = total / sectors;
    const bool powerOfTwo = (sectorBytes & (sectorBytes - 1)) == 0;
    if (!powerOfTwo || sectorBytes < kSmallestSector || sectorBytes > kLargestSector) return false;
    bytes = total;
    return true;
}

std::string CellText(const std::string& className, const std::string& property,
                     const InstanceRecord& instance, const InstanceRecord* presented) {
    if (instance.Find(property) == nullptr) return std::string();
    const std::string text = instance.Text(property);
    if (IsByteCount(className, property)) return BytesWithHuman(Unsigned(text));
    if (className == "ORVA_DynamicExtent" && property == "Size") {
        std::uint64_t bytes = 0;
        if (!ExtentBytes(instance, presented, bytes)) return text + " sectors";
        return HumanBytes(bytes) + " (" + text + " sectors)";
    }
    const std::string meaning = CodeMeaning(className, property, text);
    return meaning.empty() ? text : meaning + " (" + text + ")";
}

}  // namespace telva_host
