#include "tools/strata-capture/MachineCapture.h"
#include "platform/VisibleText.h"

#include "collect/CriticalErrorsOff.h"
#include "platform/sim/DescriptionText.h"
#include "platform/win32.h"
#include "tools/strata-capture/DeviceCapture.h"
#include "tools/strata-capture/SectorCapture.h"
#include "tools/strata-capture/SparseImage.h"
#include "tools/strata-capture/SystemNames.h"
#include "tools/strata-capture/VolumeCapture.h"
#include "tools/common/NewFile.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <vector>

namespace strata_capture {

namespace {

const char kImageFolder[] = "images";
const char kDescriptionName[] = "machine.json";

}  // namespace

std::string MachineCapture::DescriptionPath() const {
    return (std::filesystem::path(folder_) / kDescriptionName).string();
}

bool MachineCapture::CaptureDrives(Json& devices, std::vector<DriveToRead>& drives, std::string& error) {
    SectorCapture sectorCapture(log_);
    std::size_t denied = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const DriveToRead& drive = drives[i];
        CapturedSectors sectors;
        DWORD openError = 0;
        const bool opened = sectorCapture.Capture(drive, sectors, openError);
        if (!opened && openError == ERROR_ACCESS_DENIED) ++denied;
        const std::string image = std::string(kImageFolder) + "/disk" + std::to_string(i) + ".img";
        try {
            strata_tools::NewFile file(folder_, image);
            std::string writeError;
            if (!WriteSparseImage(file.TemporaryPath(), drive.length, sectors, writeError)) {
                error = "cannot write " + image + ": " + writeError;
                return false;
            }
            file.Commit();
        } catch (const std::runtime_error& failure) {
            error = failure.what();
            return false;
        }
        devices[drive.device]["image"] = image;
        const std::uint64_t bytes = CoveredBytes(sectors);
        log_.bytesCaptured += bytes;
        ++log_.drives;
        progress_ << "strata-capture: " << strata_text::VisibleText(drive.path) << ": ";
        if (opened) {
            progress_ << bytes << " bytes in " << sectors.size() << " pieces -> " << image << "\n";
        } else {
            progress_ << "cannot be read (error " << openError << "), recorded\n";
        }
    }
    if (!drives.empty() && denied == drives.size()) {
        error = "no right to read the drives (access denied); run strata-capture as an administrator "
                "(an elevated prompt)";
        return false;
    }
    return true;
}

bool MachineCapture::Run(std::string& error) {
    std::error_code failed;
    if (!std::filesystem::is_directory(folder_, failed)) {
        error = "output folder " + folder_ + " does not exist or is not a folder";
        return false;
    }
    // Every file is new: nothing already in the folder is replaced (so a
    // capture never overwrites what it reads) and no link in it is followed.
    // The description is begun first, so that an earlier capture there
    // stops the run before any drive is read.
    try {
        strata_tools::NewFile description(folder_, kDescriptionName, [](const std::string&) {
            return std::string("exists; it is not replaced (capture into a new folder)");
        });
        return Capture(description, error);
    } catch (const std::runtime_error& failure) {
        error = failure.what();
        return false;
    }
}

bool MachineCapture::Capture(strata_tools::NewFile& description, std::string& error) {
    const strata_col::CriticalErrorsOff guard;
    Json machine = Json::object();
    machine["comment"] = "Captured by strata-capture.";
    DescribeSystem(machine, log_);
    std::vector<DriveToRead> drives;
    Json devices = DeviceCapture(log_).Capture(drives);
    if (!CaptureDrives(devices, drives, error)) return false;
    machine["devices"] = devices;
    Json volumes = VolumeCapture(log_).Capture();
    log_.volumes = volumes.size();
    machine["volumes"] = volumes;
    machine["failures"] = log_.Failures();

    // Names in the ANSI code page are not UTF-8: they are kept as bytes.
    strata_sim::KeepTextBytes(machine);
    std::ofstream out(description.TemporaryPath(), std::ios::binary | std::ios::trunc);
    out << machine.dump(1) << "\n";
    out.close();
    if (!out) {
        error = "cannot write " + DescriptionPath();
        return false;
    }
    description.Commit();
    return true;
}

}  // namespace strata_capture
