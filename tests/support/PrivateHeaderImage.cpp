#include "tests/support/PrivateHeaderImage.h"

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
const std::size_t kHeaderSector = 6;
const std::size_t kDiskGuidOffset = 0x30;
const std::size_t kGroupNameOffset = 0xF0;
const std::size_t kConfigStartOffset = 0x12B;  // big-endian 64-bit sector numbers
const std::size_t kConfigSizeOffset = 0x133;
}  // namespace

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "strata-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    path_ = name.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string WritePrivateHeaderImage(const std::string& folder, const std::string& fileName,
                                    const std::string& diskGuid, const std::string& groupName,
                                    std::uint64_t configStart, std::uint64_t configSize) {
    std::vector<char> image(kSectorSize * kImageSectors, 0);
    char* header = image.data() + kHeaderSector * kSectorSize;
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
