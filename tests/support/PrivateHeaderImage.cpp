#include "tests/support/PrivateHeaderImage.h"

#include "ldm/LdmLayout.h"

#include <boost/endian/conversion.hpp>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace strata_test {

namespace {
const std::size_t kSectorSize = 512;
const std::size_t kImageSectors = 8;
using namespace strata_col::ldm_layout;
}  // namespace

std::string WritePrivateHeaderImage(const std::string& folder, const std::string& fileName,
                                    const std::string& diskGuid, const std::string& groupName,
                                    std::uint64_t configStart, std::uint64_t configSize) {
    std::vector<char> image(kSectorSize * kImageSectors, 0);
    char* header = image.data() + kPrivHeadSector * kSectorSize;
    std::memcpy(header, "PRIVHEAD", 8);
    std::memcpy(header + kDiskGuidOffset, diskGuid.data(), diskGuid.size());
    std::memcpy(header + kGroupNameOffset, groupName.data(), groupName.size());
    boost::endian::store_big_u64(reinterpret_cast<unsigned char*>(header + kConfigStartOffset), configStart);
    boost::endian::store_big_u64(reinterpret_cast<unsigned char*>(header + kConfigSizeOffset), configSize);
    const std::string path = folder + "/" + fileName;
    std::ofstream out(path, std::ios::binary);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

}  // namespace strata_test
