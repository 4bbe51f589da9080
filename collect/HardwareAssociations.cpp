#include "collect/HardwareAssociations.h"

#include "assoc/DiskInGroup.h"
#include "assoc/DiskInfoAssociator.h"
#include "assoc/DynamicExtentBasedOn.h"
#include "assoc/DynamicVolumeBasedOnExtent.h"
#include "assoc/ExtentInGroup.h"
#include "collect/InstanceBuilder.h"
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "ldm/LDMDBParser.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMNamespace;
using NTELVA20::TTelvaException;

namespace strata_col {

HardwareAssociations::HardwareAssociations(boost::shared_ptr<ICIMNamespace> ns, DatabaseCache* cache)
    : nameSpace(ns), log(LogMessage::Instance()) {
    classTable["ORVA_MediaPresent"] = &HardwareAssociations::BuildMediaPresent;
    classTable["ORVA_PartitionPresent"] = &HardwareAssociations::BuildPartitionPresent;
    classTable["ORVA_LogicalDiskBasedOnExtent"] = &HardwareAssociations::BuildLogicalDiskBasedOnExtent;
    classTable["ORVA_LogicalDiskBasedOnPartition"] =
        &HardwareAssociations::BuildLogicalDiskBasedOnPartition;
    classTable["ORVA_DynamicVolumeBasedOnExtent"] =
        &HardwareAssociations::BuildDynamicVolumeBasedOnExtent;
    classTable["ORVA_DynamicExtentBasedOn"] = &HardwareAssociations::BuildDynamicExtentBasedOn;
    classTable["ORVA_DriveInDynamicDiskGroup"] = &HardwareAssociations::BuildDriveInDiskGroup;
    classTable["ORVA_DynamicExtentInDiskGroup"] =
        &HardwareAssociations::BuildDynamicExtentInDiskGroup;

    PhysDiskEnum enumerator;
    DeviceMap disks = enumerator.EnumerateDevices(kDiskInterface);
    LDMDBParser parser(cache);
    diskDatabases = parser.ReadDatabases(disks);
}

HardwareAssociations::~HardwareAssociations() {}

void HardwareAssociations::Collect(boost::shared_ptr<ICIMClass> cimClass) {
    currentClassName = cimClass->GetClassName(ContextMap());
    ClassTable::const_iterator row = classTable.find(currentClassName);
    if (row == classTable.end()) return;
    try {
        std::vector<ReferenceMap> associations = (this->*(row->second))();
        for (const ReferenceMap& references : associations) {
            BuildAssociationInstance(cimClass, references);
        }
    } catch (const TTelvaException& error) {
        log->WriteLevel3(currentClassName + " collection encountered exception: " + error.what());
    } catch (...) {
        // Any other failure ends this class silently; the next class is served.
    }
}

std::vector<ReferenceMap> HardwareAssociations::BuildMediaPresent() {
    log->WriteLevel3("MediaPresent associations...");
    DiskInfoAssociator associator(diskDatabases);
    return associator.MediaPresentAssociations(nameSpace);
}

std::vector<ReferenceMap> HardwareAssociations::BuildPartitionPresent() {
    log->WriteLevel3("PartitionPresent associations...");
    DiskInfoAssociator associator(diskDatabases);
    return associator.PartitionPresentAssociations(nameSpace);
}

std::vector<ReferenceMap> HardwareAssociations::BuildLogicalDiskBasedOnExtent() {
    log->WriteLevel3("LogicalDiskBasedOnExtent associations...");
    return std::vector<ReferenceMap>();
}

std::vector<ReferenceMap> HardwareAssociations::BuildLogicalDiskBasedOnPartition() {
    log->WriteLevel3("LogicalDiskBasedOnPartition associations...");
    DiskInfoAssociator associator(diskDatabases);
    return associator.LogicalDiskBasedOnPartitionAssociations(nameSpace);
}

std::vector<ReferenceMap> HardwareAssociations::BuildDynamicVolumeBasedOnExtent() {
    log->WriteLevel3("DynamicVolumeBasedOnExtent associations... ");
    DynamicVolumeBasedOnExtent builder;
    return builder.Collect(nameSpace, diskDatabases);
}

std::vector<ReferenceMap> HardwareAssociations::BuildDynamicExtentBasedOn() {
    log->WriteLevel3("DynamicExtentBasedOn associations... ");
    DynamicExtentBasedOn builder;
    return builder.Collect(nameSpace, diskDatabases);
}

std::vector<ReferenceMap> HardwareAssociations::BuildDriveInDiskGroup() {
    log->WriteLevel3("DriveInDiskGroup associations... ");
    DiskInGroup builder;
    return builder.Collect(nameSpace, diskDatabases);
}

std::vector<ReferenceMap> HardwareAssociations::BuildDynamicExtentInDiskGroup() {
    log->WriteLevel3("DynamicExtentInDiskGroup associations... ");
    ExtentInGroup builder;
    return builder.Collect(nameSpace, diskDatabases);
}

}  // namespace strata_col
