// Records the storage devices of the four interface classes: what SetupAPI
// lists and what each device answers to the control codes the plug-in sends.
#ifndef STRATA_CAPTURE_DEVICECAPTURE_H
#define STRATA_CAPTURE_DEVICECAPTURE_H

#include "platform/win32.h"
#include "tools/strata-capture/CaptureLog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace strata_capture {

// A disk with a medium, whose sectors are captured into an image.
struct DriveToRead {
    std::size_t device = 0;  // index into the devices list
    std::string path;        // interface path
    std::uint32_t bytesPerSector = 0;  // 0: the geometry did not answer
    std::uint64_t length = 0;          // 0: the length did not answer
};

class DeviceCapture {
public:
    explicit DeviceCapture(CaptureLog& log) : log_(log) {}
    virtual ~DeviceCapture() {}

    // The description's "devices"; the disks to read are added to `drives`.
    Json Capture(std::vector<DriveToRead>& drives);

private:
    struct Member;
    std::vector<Member> Walk(const GUID& interfaceClass, const char* className, bool present);
    // `openPath`: the interface path, or for a device without interface the
    // name of its number (\\.\CdRom1); empty when it cannot be opened.
    Json Probe(const Member& member, const char* className, const std::string& openPath,
               DriveToRead& drive);
    // The next name of a number (\\.\PHYSICALDRIVEn, \\.\CdRomn, \\.\Tapen)
    // that opens and answers a number no device of the class has; empty if none.
    std::string UnclaimedNumberName(const char* className, std::vector<std::uint32_t>& claimed);
    void Fail(const char* call, std::uint32_t code, const std::string& target, DWORD error,
              std::int64_t index = -1);

    CaptureLog& log_;
};

}  // namespace strata_capture

#endif
