#include "platform/DiskFormat.h"

#include <boost/crc.hpp>

namespace disk_format {

std::uint32_t Crc32(const unsigned char* data, std::size_t size) {
    boost::crc_32_type crc;
    crc.process_bytes(data, size);
    return crc.checksum();
}

}  // namespace disk_format
