// Sending a control code to an open drive or volume, and turning the
// replies the plug-in reads into description values.
#ifndef STRATA_CAPTURE_CONTROLCODES_H
#define STRATA_CAPTURE_CONTROLCODES_H

#include "platform/win32.h"
#include "tools/strata-capture/CaptureLog.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace strata_capture {

// The drive-layout reply: a header, then fixed-size entries.
const std::size_t kLayoutHeaderSize = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
const std::size_t kLayoutEntrySize = sizeof(PARTITION_INFORMATION_EX);

struct ControlReply {
    bool ok = false;
    DWORD error = 0;     // GetLastError() when !ok
    DWORD returned = 0;  // bytes the reply filled
    std::vector<unsigned char> bytes;
};

// Sends the code with no input into a reply of `size` bytes.
ControlReply SendControl(HANDLE handle, DWORD code, std::size_t size);

// Sends a code whose reply is a header and a list: starts at `size` bytes and
// doubles while the system answers that the list does not fit, up to `limit`.
ControlReply SendListControl(HANDLE handle, DWORD code, std::size_t size, std::size_t limit);

// Opens a drive or volume for reading only.
HANDLE OpenForReading(const std::string& path);

// {01234567-89AB-CDEF-0123-456789ABCDEF}
std::string GuidText(const GUID& guid);

// The description's "layout" of an IOCTL_DISK_GET_DRIVE_LAYOUT_EX reply, with
// every entry and field as reported. False when the reply is too short.
bool LayoutOfReply(const ControlReply& reply, Json& layout, std::uint32_t& partitionCount);

}  // namespace strata_capture

#endif
