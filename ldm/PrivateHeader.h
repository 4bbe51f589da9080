// The fields of a drive's private header (PRIVHEAD) that the system uses.
#ifndef STRATA_LDM_PRIVATEHEADER_H
#define STRATA_LDM_PRIVATEHEADER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace strata_col {

struct PrivateHeader {
    std::string diskGuid;    // the disk's identity, as the header holds it
    std::string groupName;   // name of the disk group
    std::uint64_t logicalDiskStart = 0;  // data region, sectors
    std::uint64_t logicalDiskSize = 0;
    std::uint64_t configStart = 0;       // configuration (database) area, sectors
    std::uint64_t configSize = 0;
};

// True when the bytes up to the first zero byte are exactly "PRIVHEAD".
bool IsPrivateHeader(const unsigned char* data, std::size_t size);
inline bool IsPrivateHeader(const std::vector<unsigned char>& header) {
    return IsPrivateHeader(header.data(), header.size());
}

// Decodes the header; false when the bytes are not a private header. Fields
// that lie beyond `size` are left at their defaults.
bool DecodePrivateHeader(const unsigned char* data, std::size_t size, PrivateHeader& header);
inline bool DecodePrivateHeader(const std::vector<unsigned char>& bytes, PrivateHeader& header) {
    return DecodePrivateHeader(bytes.data(), bytes.size(), header);
}

}  // namespace strata_col

#endif
