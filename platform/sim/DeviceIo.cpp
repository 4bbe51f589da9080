// DeviceIoControl on device and volume handles: the storage control codes
// with the buffer-size rules and errors of Windows.
#include "platform/sim/IoctlReplies.h"
#include "platform/sim/SimState.h"

#include <cstring>

using namespace strata_sim;

namespace {

// The caller's output buffer and what has been written to it.
struct Output {
    unsigned char* buffer;
    DWORD size;
    DWORD written = 0;
};

// A fixed-size reply: all of it or ERROR_INSUFFICIENT_BUFFER.
template <class T>
DWORD WriteFixed(Output& out, const T& value) {
    if (out.buffer == nullptr || out.size < sizeof(T)) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(out.buffer, &value, sizeof(T));
    out.written = sizeof(T);
    return ERROR_SUCCESS;
}

// A header and whole entries. Too small for the structure with one entry is
// ERROR_INSUFFICIENT_BUFFER with nothing written. Room for fewer entries than
// there are fails with shortError: ERROR_MORE_DATA writes the header (with the
// full count) and the entries that fit; ERROR_INSUFFICIENT_BUFFER writes
// nothing, as a buffered request that fails returns no data.
DWORD WriteEntries(Output& out, const std::vector<unsigned char>& reply, std::size_t headerSize,
                   std::size_t entrySize, std::size_t minimumSize, DWORD shortError) {
    if (out.buffer == nullptr || out.size < minimumSize) return ERROR_INSUFFICIENT_BUFFER;
    if (out.size >= reply.size()) {
        std::memcpy(out.buffer, reply.data(), reply.size());
        out.written = static_cast<DWORD>(reply.size());
        return ERROR_SUCCESS;
    }
    if (shortError != ERROR_MORE_DATA) return shortError;
    const std::size_t entries = (out.size - headerSize) / entrySize;
    const std::size_t bytes = headerSize + entries * entrySize;
    std::memcpy(out.buffer, reply.data(), bytes);
    out.written = static_cast<DWORD>(bytes);
    return ERROR_MORE_DATA;
}

bool IsMediaCode(DWORD code) {
    return code == IOCTL_DISK_GET_DRIVE_GEOMETRY || code == IOCTL_CDROM_GET_DRIVE_GEOMETRY ||
           code == IOCTL_DISK_GET_LENGTH_INFO || code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX;
}

DWORD DeviceControl(const Device& device, DWORD code, Output& out) {
    if (IsMediaCode(code)) {
        // Tape drives have no disk geometry; only optical drives answer the CD-ROM code.
        if (device.interfaceClass == InterfaceClass::Tape) return ERROR_INVALID_FUNCTION;
        if (code == IOCTL_CDROM_GET_DRIVE_GEOMETRY && device.interfaceClass != InterfaceClass::CdRom) {
            return ERROR_INVALID_FUNCTION;
        }
        if (!device.mediaPresent) return ERROR_NOT_READY;
    }
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER:
            return WriteFixed(out, DeviceNumberOf(device));
        case IOCTL_STORAGE_GET_MEDIA_TYPES_EX:
            return WriteEntries(out, MediaTypesReply(device), kMediaTypesHeaderSize, sizeof(DEVICE_MEDIA_INFO),
                                sizeof(GET_MEDIA_TYPES), device.shortBufferError.value_or(ERROR_MORE_DATA));
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
        case IOCTL_CDROM_GET_DRIVE_GEOMETRY:
            return WriteFixed(out, GeometryOf(device));
        case IOCTL_DISK_GET_LENGTH_INFO: {
            GET_LENGTH_INFORMATION length;
            length.Length.QuadPart = device.length.value_or(0);
            return WriteFixed(out, length);
        }
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
            return WriteEntries(out, LayoutReply(device.layout.value_or(DriveLayout())), kLayoutHeaderSize,
                                sizeof(PARTITION_INFORMATION_EX), kLayoutHeaderSize,
                                device.shortBufferError.value_or(ERROR_INSUFFICIENT_BUFFER));
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

DWORD VolumeControl(const PreparedMachine& machine, std::size_t index, DWORD code, Output& out) {
    const Volume& volume = machine.Description().volumes[index];
    const bool spansDisks = machine.VolumeDisks(index).size() > 1;
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            // Only a volume on one device has a device and partition number.
            if (spansDisks || !volume.deviceNumber) return ERROR_INVALID_FUNCTION;
            STORAGE_DEVICE_NUMBER number;
            number.DeviceType = volume.deviceType.value_or(FILE_DEVICE_DISK);
            number.DeviceNumber = *volume.deviceNumber;
            number.PartitionNumber = static_cast<DWORD>(volume.partitionNumber.value_or(-1));
            return WriteFixed(out, number);
        }
        case IOCTL_STORAGE_GET_MEDIA_TYPES_EX:
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
        case IOCTL_CDROM_GET_DRIVE_GEOMETRY: {
            // Passed down to the one device under the volume.
            const std::optional<std::size_t> device = spansDisks ? std::nullopt : machine.DeviceOfVolume(index);
            if (!device) return ERROR_INVALID_FUNCTION;
            return DeviceControl(machine.Description().devices[*device], code, out);
        }
        case IOCTL_DISK_GET_LENGTH_INFO: {
            if (!volume.mediaPresent.value_or(true)) return ERROR_NOT_READY;
            GET_LENGTH_INFORMATION length;
            length.Length.QuadPart = volume.length.value_or(0);
            return WriteFixed(out, length);
        }
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS:
            if (volume.extents.empty() && !volume.emptyExtents) return ERROR_INVALID_FUNCTION;
            if (!volume.mediaPresent.value_or(true)) return ERROR_NOT_READY;
            return WriteEntries(out, ExtentsReply(volume), kExtentsHeaderSize, sizeof(DISK_EXTENT),
                                sizeof(VOLUME_DISK_EXTENTS), volume.shortBufferError.value_or(ERROR_MORE_DATA));
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

}  // namespace

STRATA_SIM_API BOOL DeviceIoControl(HANDLE handle, DWORD controlCode, LPVOID inBuffer, DWORD inBufferSize,
                                    LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                                    LPOVERLAPPED overlapped) {
    SimState& state = State();
    SimCall busy(state);
    // A synchronous request must say where to put the count; Windows writes it
    // without looking.
    if (bytesReturned == nullptr && overlapped == nullptr) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    if (bytesReturned != nullptr) *bytesReturned = 0;
    OpenObject* object = state.openObjects.Find(handle);
    if (object == nullptr) return FailWith(ERROR_INVALID_HANDLE, FALSE);
    // The I/O manager copies a buffered request's input and probes its output:
    // a length without a buffer is an access fault, whatever the code.
    if ((inBuffer == nullptr && inBufferSize != 0) || (outBuffer == nullptr && outBufferSize != 0)) {
        return FailWith(ERROR_NOACCESS, FALSE);
    }
    const PreparedMachine& machine = *object->machine;
    const bool isDevice = object->kind == OpenObject::Kind::Device;
    DWORD error = 0;
    const std::vector<std::string> subjects =
        isDevice ? machine.DeviceNames(object->index) : machine.VolumeNames(object->index);
    if (Injected({"DeviceIoControl", subjects, controlCode}, error)) return FailWith(error, FALSE);

    // A request that reaches a drive without a medium may raise the "no disk"
    // dialog, like an open or a read of it.
    if (isDevice) {
        const Device& device = machine.Description().devices[object->index];
        NoteMediaAccess(device.mediaPresent, "DeviceIoControl", device.devicePath);
    } else {
        const Volume& volume = machine.Description().volumes[object->index];
        NoteMediaAccess(volume.mediaPresent.value_or(true), "DeviceIoControl", volume.guidName);
    }
    Output out{static_cast<unsigned char*>(outBuffer), outBufferSize};
    error = isDevice ? DeviceControl(machine.Description().devices[object->index], controlCode, out)
                     : VolumeControl(machine, object->index, controlCode, out);
    if (bytesReturned != nullptr) *bytesReturned = out.written;
    if (error != ERROR_SUCCESS) return FailWith(error, FALSE);
    return TRUE;
}
