// Control requests whose reply grows with the device: a drive layout with
// hundreds of entries, a drive that lists many media types, a volume on many
// disks. Windows' documentation tells callers to ask again with a larger
// buffer when the answer is that the buffer is short.
#ifndef STRATA_COLLECT_GROWINGREPLY_H
#define STRATA_COLLECT_GROWINGREPLY_H

#include "platform/win32.h"

#include <cstddef>
#include <vector>

namespace strata_col {

// The largest reply asked for: room for 29,000 layout entries or 131,000
// media types, far beyond any device.
const std::size_t kLargestReplyBytes = 4u << 20;

// True for the answers drivers give a buffer too small for their reply.
inline bool IsShortBufferError(DWORD error) {
    return error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_MORE_DATA || error == ERROR_BAD_LENGTH;
}

// Sends `code` with no input into `reply`, whose size is the first room
// tried; while the device answers that the room is short, asks again with
// twice the room, the last time with kLargestReplyBytes. True when a request
// succeeded (`reply` then holds its answer); otherwise false, and
// GetLastError() holds the error of the last answer. Requests count as
// successful only when DeviceIoControl returns exactly 1.
inline bool AskGrowing(HANDLE device, DWORD code, std::vector<unsigned char>& reply) {
    for (;;) {
        DWORD returned = 0;
        if (DeviceIoControl(device, code, nullptr, 0, reply.data(), static_cast<DWORD>(reply.size()),
                            &returned, nullptr) == 1) {
            return true;
        }
        const DWORD error = GetLastError();
        if (!IsShortBufferError(error) || reply.size() >= kLargestReplyBytes) return false;
        const std::size_t doubled = reply.empty() ? 1 : reply.size() * 2;
        reply.assign(doubled < kLargestReplyBytes ? doubled : kLargestReplyBytes, 0);
    }
}

}  // namespace strata_col

#endif
