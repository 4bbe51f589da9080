// Reads the sectors of a drive that the plug-in reads, and only those: the
// partition tables (sector 0, the extended boot records, the GPT headers and
// entry arrays), the dynamic-disk private header(s) and database area.
#ifndef STRATA_CAPTURE_SECTORCAPTURE_H
#define STRATA_CAPTURE_SECTORCAPTURE_H

#include "tools/strata-capture/CaptureLog.h"
#include "platform/win32.h"
#include "tools/strata-capture/DeviceCapture.h"

#include <cstdint>
#include <map>
#include <vector>

namespace strata_capture {

// Byte offset on the drive → the bytes read there.
typedef std::map<std::uint64_t, std::vector<unsigned char>> CapturedSectors;

// The bytes the pieces cover, each byte counted once.
std::uint64_t CoveredBytes(const CapturedSectors& sectors);

class SectorCapture {
public:
    explicit SectorCapture(CaptureLog& log) : log_(log) {}
    virtual ~SectorCapture() {}

    // False when the drive could not be opened; the failure is recorded and
    // `openError` holds its code.
    bool Capture(const DriveToRead& drive, CapturedSectors& sectors, DWORD& openError);

private:
    CaptureLog& log_;
};

}  // namespace strata_capture

#endif
