#include "ldm/PlatformDiskAccess.h"

#include "collect/CriticalErrorsOff.h"
#include "platform/win32.h"

#include <cstdint>
#include <limits>

namespace strata_col {

namespace {

// a × b into product; false when it does not fit in 64 bits.
bool Multiply(std::uint64_t a, std::uint64_t b, std::uint64_t& product) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return false;
    product = a * b;
    return true;
}

// The drive's bytes as its geometry counts them; 0 when that gives no size.
// The cylinder count leaves out the last, partial cylinder, and that is where
// Windows keeps a classic disk's dynamic-disk database (its last megabyte),
// so the drive is taken to reach to the end of one more cylinder.
std::uint64_t GeometryLength(const DISK_GEOMETRY& geometry) {
    if (geometry.Cylinders.QuadPart < 0) return 0;
    const std::uint64_t cylinders = static_cast<std::uint64_t>(geometry.Cylinders.QuadPart) + 1;
    std::uint64_t length = 0;
    if (!Multiply(cylinders, geometry.TracksPerCylinder, length) ||
        !Multiply(length, geometry.SectorsPerTrack, length) ||
        !Multiply(length, geometry.BytesPerSector, length)) {
        return 0;
    }
    return length;
}

}  // namespace

int PlatformDiskAccess::Open(const std::string& path) {
    const CriticalErrorsOff guard;
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
    const CriticalErrorsOff guard;
    return _read(file, buffer, count);
}

void PlatformDiskAccess::Close(int file) { _close(file); }

// A drive has no file size on Windows: seeking to its end gives 0. Its
// length comes from QueryDrive only.
std::uint64_t PlatformDiskAccess::EndOf(int) { return 0; }

DriveSize PlatformDiskAccess::QueryDrive(const std::string& path) {
    const CriticalErrorsOff guard;
    DriveSize size;
    // Read and write access as the geometry query wants it, as every device
    // open of the plug-in does (DeviceHandle::OpenForQueries says why);
    // nothing is written.
    HANDLE drive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (drive == INVALID_HANDLE_VALUE) {
        return size;
    }
    DISK_GEOMETRY geometry = {};
    DWORD returned = 0;
    const bool geometryRead = DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, NULL, 0,
                                              &geometry, sizeof(geometry), &returned, NULL) != 0;
    if (geometryRead) size.bytesPerSector = geometry.BytesPerSector;
    GET_LENGTH_INFORMATION length = {};
    returned = 0;
    if (DeviceIoControl(drive, IOCTL_DISK_GET_LENGTH_INFO, NULL, 0, &length, sizeof(length),
                        &returned, NULL) &&
        length.Length.QuadPart > 0) {
        size.length = static_cast<std::uint64_t>(length.Length.QuadPart);
    } else if (geometryRead) {
        size.length = GeometryLength(geometry);
    }
    CloseHandle(drive);
    return size;
}

}  // namespace strata_col
