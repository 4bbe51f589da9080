#include "collect/HardwareInformation.h"

#include "collect/InstanceBuilder.h"
#include "disk/InterfaceClasses.h"
#include "disk/PartitionInformation.h"
#include "disk/PhysDiskEnum.h"
#include "disk/PhysDiskInformation.h"
#include "ldm/DiskGroupInformation.h"
#include "ldm/DynamicExtentInformation.h"
#include "ldm/LDMDBParser.h"
#include "volume/LogicalDiskInformation.h"

#include <exception>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMSchemaHelper;
using NTELVA20::TTelvaException;

namespace strata_col {

namespace {
const char kDiskGroupClass[] = "ORVA_DynamicDiskGroup";
}

HardwareInformation::HardwareInformation(boost::shared_ptr<ICIMNamespace> ns, DatabaseCache* cache)
    : log(LogMessage::Instance()), nameSpace(ns) {
    classTable["ORVA_LogicalDisk"] = &HardwareInformation::GatherLogicalDisks;
    classTable["ORVA_DynamicExtent"] = &HardwareInformation::GatherDynamicExtents;
    classTable["ORVA_DiskPartition"] = &HardwareInformation::GatherPartitions;
    classTable["ORVA_DiskDrive"] = &HardwareInformation::GatherDrives;
    classTable["ORVA_CDROMDrive"] = &HardwareInformation::GatherDrives;
    classTable["ORVA_DisketteDrive"] = &HardwareInformation::GatherDrives;
    classTable["ORVA_DVDDrive"] = &HardwareInformation::GatherDrives;
    classTable["ORVA_TapeDrive"] = &HardwareInformation::GatherDrives;
    classTable[kDiskGroupClass] = &HardwareInformation::GatherDrives;

    systemCreationClassName = TCIMSchemaHelper::GetSystemCreationClassName(nameSpace);
    systemName = TCIMSchemaHelper::GetSystemName(nameSpace);

    PhysDiskEnum enumerator;
    DeviceMap disks = enumerator.EnumerateDevices(kDiskInterface);
    LDMDBParser parser(cache);
    diskDatabases = parser.ReadDatabases(disks);
}

HardwareInformation::~HardwareInformation() {}

void HardwareInformation::Collect(boost::shared_ptr<ICIMClass> cimClass) {
    currentClassName = cimClass->GetClassName(ContextMap());
    ClassTable::const_iterator row = classTable.find(currentClassName);
    if (row == classTable.end()) return;
    try {
        std::vector<PropertyMap> records = (this->*(row->second))();
        for (const PropertyMap& record : records) BuildInstance(cimClass, record);
    } catch (const TTelvaException& error) {
        // No blank between the class name and "collection": the information
        // collector's message has always read "ORVA_DiskDrivecollection ...",
        // and log readers match it so. The association collector's has one.
        log->WriteLevel3(currentClassName + "collection encountered exception: " + error.what());
    } catch (const std::exception& error) {
        log->WriteLevel3(currentClassName + "collection encountered exception: " + error.what());
    }
}

void HardwareInformation::AddKeyProperties(PropertyMap& record) {
    record.insert(std::make_pair("SystemCreationClassName", systemCreationClassName));
    record.insert(std::make_pair("CreationClassName", currentClassName));
    record.insert(std::make_pair("SystemName", systemName));
}

std::vector<PropertyMap> HardwareInformation::WithKeyProperties(std::vector<PropertyMap> records) {
    for (PropertyMap& record : records) AddKeyProperties(record);
    return records;
}

std::vector<PropertyMap> HardwareInformation::GatherLogicalDisks() {
    log->WriteLevel3("Logical disk information..");
    return WithKeyProperties(LogicalDiskInformation().Collect(diskDatabases));
}

std::vector<PropertyMap> HardwareInformation::GatherDynamicExtents() {
    log->WriteLevel3("Dynamic Extent information..");
    return WithKeyProperties(DynamicExtentInformation().Collect(diskDatabases));
}

std::vector<PropertyMap> HardwareInformation::GatherPartitions() {
    log->WriteLevel3("Partition information..");
    return WithKeyProperties(PartitionInformation().Collect(diskDatabases));
}

std::vector<PropertyMap> HardwareInformation::GatherDrives() {
    log->WriteLevel3("Physical disk information.. " + currentClassName);
    std::vector<PropertyMap> records = PhysDiskInformation().Collect(currentClassName, diskDatabases);
    // The drive collector knows no disk groups; the groups themselves come
    // from the databases.
    if (currentClassName == kDiskGroupClass) {
        std::vector<PropertyMap> groupRecords = DiskGroupInformation().Collect(diskDatabases);
        records.insert(records.end(), groupRecords.begin(), groupRecords.end());
    }
    return WithKeyProperties(records);
}

}  // namespace strata_col
