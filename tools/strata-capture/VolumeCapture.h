// Records every volume the volume functions list: names, roots, mount
// folders, file-system data, free space, quota state and what the volume
// answers to the control codes the plug-in sends it.
#ifndef STRATA_CAPTURE_VOLUMECAPTURE_H
#define STRATA_CAPTURE_VOLUMECAPTURE_H

#include "platform/win32.h"
#include "tools/strata-capture/CaptureLog.h"

#include <string>
#include <vector>

namespace strata_capture {

class VolumeCapture {
public:
    explicit VolumeCapture(CaptureLog& log) : log_(log) {}
    virtual ~VolumeCapture() {}

    // The description's "volumes", in the system's enumeration order.
    Json Capture();

private:
    struct Found;
    std::vector<Found> ListVolumes();
    void AddRoots(std::vector<Found>& volumes);
    void AddMountFolders(std::vector<Found>& volumes);
    void AddUnindexedMountFolders(std::vector<Found>& volumes);
    std::vector<std::string> PathNames(const std::string& guidName);
    Json Describe(const Found& volume);
    void DescribeFileSystem(const Found& volume, Json& json, bool& mediaPresent, bool& fileSystem);
    void DescribeQuota(const Found& volume, Json& json);
    void DescribeDevice(const Found& volume, Json& json, bool mediaPresent);
    // Records a failure unless the simulated machine fails this way by itself.
    void Fail(const char* call, std::uint32_t code, const std::string& target, DWORD error,
              bool natural = false);

    CaptureLog& log_;
};

}  // namespace strata_capture

#endif
