// Closes a device handle when the scope that opened it ends, on every path.
#ifndef STRATA_COLLECT_DEVICEHANDLE_H
#define STRATA_COLLECT_DEVICEHANDLE_H

#include "platform/win32.h"

#include <string>

namespace strata_col {

class DeviceHandle {
public:
    explicit DeviceHandle(HANDLE handle) : handle_(handle) {}
    ~DeviceHandle() {
        if (IsValid()) CloseHandle(handle_);
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;

    // Opens a drive or volume device for the I/O control queries: read and
    // write access requested, shared, no writes are ever issued. Write access
    // is requested on purpose: it is the access the system has always asked
    // for, and some drivers answer the layout and geometry queries only on a
    // handle opened so. Asking for read alone would change which drives
    // answer, and with them the report.
    static HANDLE OpenForQueries(const std::string& devicePath) {
        return CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace strata_col

#endif
