#include "ldm/PrivateHeader.h"

#include "ldm/BigEndian.h"
#include "ldm/LdmLayout.h"

#include <cstring>

namespace strata_col {

using namespace ldm_layout;

bool IsPrivateHeader(const unsigned char* data, std::size_t size) {
    // The magic must be followed by a zero byte: "PRIVHEADX" is no header.
    if (!RangeInside(size, kPrivHeadMagicOffset, kPrivHeadMagicSize + 1)) {
        return false;
    }
    return std::memcmp(data + kPrivHeadMagicOffset, kPrivHeadMagic, kPrivHeadMagicSize) == 0 &&
           data[kPrivHeadMagicOffset + kPrivHeadMagicSize] == 0;
}

bool DecodePrivateHeader(const unsigned char* data, std::size_t size, PrivateHeader& header) {
    if (!IsPrivateHeader(data, size)) {
        return false;
    }
    header = PrivateHeader();
    header.diskGuid = ZeroTerminatedText(data, size, kDiskGuidOffset, kDiskGuidSize);
    header.groupName = ZeroTerminatedText(data, size, kGroupNameOffset, kGroupNameSize);
    ReadBigEndian64(data, size, kLogicalDiskStartOffset, header.logicalDiskStart);
    ReadBigEndian64(data, size, kLogicalDiskSizeOffset, header.logicalDiskSize);
    ReadBigEndian64(data, size, kConfigStartOffset, header.configStart);
    ReadBigEndian64(data, size, kConfigSizeOffset, header.configSize);
    return true;
}

}  // namespace strata_col
