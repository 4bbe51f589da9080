#include "disk/PhysDiskInformation.h"

#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"

#include <map>

namespace strata_col {

namespace {

struct DriveClass {
    const char* className;
    const GUID* interfaceClass;
};

// Both optical classes enumerate the CD-ROM interface, so every optical
// drive is reported under each of them.
const DriveClass kDriveClasses[] = {
    {"ORVA_DiskDrive", &kDiskInterface},      {"ORVA_CDROMDrive", &kCdromInterface},
    {"ORVA_TapeDrive", &kTapeInterface},      {"ORVA_DisketteDrive", &kFloppyInterface},
    {"ORVA_DVDDrive", &kCdromInterface},      {"ORVA_DiskPartition", &kDiskInterface},
};

}  // namespace

std::vector<PropertyMap> PhysDiskInformation::Collect(const std::string& className,
                                                      DiskDatabaseMap& databases) {
    std::map<std::string, GUID> interfaceByClass;
    for (const DriveClass& driveClass : kDriveClasses) {
        interfaceByClass[driveClass.className] = *driveClass.interfaceClass;
    }
    // A class without a row enumerates the all-zero interface class: nothing.
    const GUID interfaceClass = interfaceByClass[className];
    PhysDiskEnum drives;
    return drives.CollectDrives(interfaceClass, databases);
}

}  // namespace strata_col
