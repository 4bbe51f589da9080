// The system's English message texts, as FormatMessageA gives them.
#include "platform/sim/SimState.h"

#include <cstdlib>
#include <cstring>

namespace {

struct MessageText {
    DWORD code;
    const char* text;
};

const MessageText kMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {13, "The data is invalid.\r\n"},
    {18, "There are no more files.\r\n"},
    {19, "The media is write protected.\r\n"},
    {21, "The device is not ready.\r\n"},
    {23, "Data error (cyclic redundancy check).\r\n"},
    {24, "The program issued a command but the command length is incorrect.\r\n"},
    {27, "The drive cannot find the sector requested.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {50, "The request is not supported.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {144, "The directory is not a subdirectory of the root directory.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {998, "Invalid access to memory location.\r\n"},
    {1005, "The volume does not contain a recognized file system.\r\n"
           "Please make sure that all required file system drivers are loaded and that the volume is not "
           "corrupted.\r\n"},
    {1112, "No media in drive.\r\n"},
    {1117, "The request could not be performed because of an I/O device error.\r\n"},
    {1168, "Element not found.\r\n"},
    {1247, "An attempt was made to perform an initialization operation when initialization has already "
           "been completed.\r\n"},
    {1784, "The supplied user buffer is not valid for the requested operation.\r\n"},
    {4390, "The file or directory is not a reparse point.\r\n"},
};

// HRESULTs that wrap a Win32 code (FACILITY_WIN32) have the same text.
const DWORD kWin32HresultMask = 0xFFFF0000u;
const DWORD kWin32HresultBase = 0x80070000u;

const char* TextOf(DWORD code) {
    if ((code & kWin32HresultMask) == kWin32HresultBase) code &= ~kWin32HresultMask;
    for (const MessageText& message : kMessages) {
        if (message.code == code) return message.text;
    }
    return nullptr;
}

}  // namespace

STRATA_SIM_API DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                                    DWORD size, va_list* arguments) {
    (void)source;
    (void)languageId;
    (void)arguments;
    {
        std::lock_guard<std::mutex> lock(strata_sim::State().mutex);
        DWORD error = 0;
        if (strata_sim::Injected({"FormatMessageA", {}}, error)) return strata_sim::FailWith(error, DWORD(0));
    }
    // Only system messages are known; their texts have no inserts.
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        return strata_sim::FailWith(ERROR_INVALID_PARAMETER, DWORD(0));
    }
    const char* text = TextOf(messageId);
    if (text == nullptr) return strata_sim::FailWith(ERROR_MR_MID_NOT_FOUND, DWORD(0));
    const DWORD length = static_cast<DWORD>(std::strlen(text));
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        // The caller frees it with LocalFree.
        const DWORD bytes = length + 1 > size ? length + 1 : size;
        char* copy = static_cast<char*>(std::malloc(bytes));
        if (copy == nullptr) return strata_sim::FailWith(ERROR_NOT_ENOUGH_MEMORY, DWORD(0));
        std::memcpy(copy, text, length + 1);
        *reinterpret_cast<char**>(buffer) = copy;
        return length;
    }
    if (size < length + 1) return strata_sim::FailWith(ERROR_INSUFFICIENT_BUFFER, DWORD(0));
    std::memcpy(buffer, text, length + 1);
    return length;
}

STRATA_SIM_API HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}
