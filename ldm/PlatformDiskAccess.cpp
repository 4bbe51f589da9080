#include "ldm/PlatformDiskAccess.h"

#include "platform/win32.h"

#include <cstdint>

namespace strata_col {

int PlatformDiskAccess::Open(const std::string& path) {
    return _open(path.c_str(), _O_RDONLY | _O_BINARY);
}

bool PlatformDiskAccess::Seek(int file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        return false;
    }
    const __int64 wanted = static_cast<__int64>(offset);
    return _lseeki64(file, wanted, SEEK_SET) == wanted;
}

long PlatformDiskAccess::Read(int file, unsigned char* buffer, std::uint32_t count) {
    return _read(file, buffer, count);
}

void PlatformDiskAccess::Close(int file) { _close(file); }

std::uint64_t PlatformDiskAccess::EndOf(int file) {
    const __int64 end = _lseeki64(file, 0, SEEK_END);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

DriveSize PlatformDiskAccess::QueryDrive(const std::string& path) {
    DriveSize size;
    // Read and write access as the geometry query wants it; nothing is written.
    HANDLE drive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (drive == INVALID_HANDLE_VALUE) {
        return size;
    }
    DISK_GEOMETRY geometry = {};
    DWORD returned = 0;
    if (DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, NULL, 0, &geometry,
                        sizeof(geometry), &returned, NULL)) {
        size.bytesPerSector = geometry.BytesPerSector;
    }
    GET_LENGTH_INFORMATION length = {};
    returned = 0;
    if (DeviceIoControl(drive, IOCTL_DISK_GET_LENGTH_INFO, NULL, 0, &length, sizeof(length),
                        &returned, NULL) &&
        length.Length.QuadPart > 0) {
        size.length = static_cast<std::uint64_t>(length.Length.QuadPart);
    }
    CloseHandle(drive);
    return size;
}

}  // namespace strata_col
