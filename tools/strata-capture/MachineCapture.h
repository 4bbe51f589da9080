// One capture: the machine's devices, drive sectors and volumes written to
// an output folder as a description (machine.json) and sparse drive images.
#ifndef STRATA_CAPTURE_MACHINECAPTURE_H
#define STRATA_CAPTURE_MACHINECAPTURE_H

#include "tools/strata-capture/CaptureLog.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace strata_tools {
class NewFile;
}

namespace strata_capture {

struct DriveToRead;

class MachineCapture {
public:
    // Progress lines go to `progress`, one per drive.
    MachineCapture(const std::string& folder, std::ostream& progress)
        : folder_(folder), progress_(progress) {}
    virtual ~MachineCapture() {}

    // Captures the machine. False with `error` set when nothing useful can be
    // written (the folder, a file already there, or no right to read any
    // drive).
    bool Run(std::string& error);
    const CaptureLog& Log() const { return log_; }
    std::string DescriptionPath() const;

private:
    bool Capture(strata_tools::NewFile& description, std::string& error);
    bool CaptureDrives(Json& devices, std::vector<DriveToRead>& drives, std::string& error);

    std::string folder_;
    std::ostream& progress_;
    CaptureLog log_;
};

}  // namespace strata_capture

#endif
