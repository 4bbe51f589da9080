// A drive's layout as IOCTL_DISK_GET_DRIVE_LAYOUT_EX answers it: a header,
// then fixed-size partition entries. The drive probe and the partition
// enumerator both read it through this class.
#ifndef STRATA_DISK_DRIVELAYOUTREPLY_H
#define STRATA_DISK_DRIVELAYOUTREPLY_H

#include "collect/GrowingReply.h"
#include "platform/win32.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace strata_col {

class DriveLayoutReply {
public:
    // Room for the header and 284 entries at first; more on a short answer.
    static const std::size_t kFirstReplyBytes = 0xA000;
    static const std::size_t kHeaderSize = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
    static const std::size_t kEntrySize = sizeof(PARTITION_INFORMATION_EX);

    // False, with GetLastError() holding the reason, when the request fails.
    bool Ask(HANDLE drive) {
        bytes_.assign(kFirstReplyBytes, 0);
        if (!AskGrowing(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, bytes_)) return false;
        std::memcpy(&header_, bytes_.data(), kHeaderSize);
        return true;
    }

    const DRIVE_LAYOUT_INFORMATION_EX& Header() const { return header_; }
    // The entries the header counts, as far as the reply holds them.
    std::size_t EntryCount() const {
        const std::size_t held = bytes_.size() < kHeaderSize ? 0 : (bytes_.size() - kHeaderSize) / kEntrySize;
        return header_.PartitionCount < held ? header_.PartitionCount : held;
    }
    PARTITION_INFORMATION_EX Entry(std::size_t index) const {
        PARTITION_INFORMATION_EX entry;
        std::memcpy(&entry, bytes_.data() + kHeaderSize + index * kEntrySize, kEntrySize);
        return entry;
    }

private:
    std::vector<unsigned char> bytes_;
    DRIVE_LAYOUT_INFORMATION_EX header_ = {};
};

}  // namespace strata_col

#endif
