// Small disk images that carry a dynamic-disk private header and nothing
// else, so that a drive reads as the dynamic disk with a given GUID.
#ifndef STRATA_TESTS_SUPPORT_PRIVATEHEADERIMAGE_H
#define STRATA_TESTS_SUPPORT_PRIVATEHEADERIMAGE_H

#include "tests/support/TempFolder.h"

#include <cstdint>
#include <string>

namespace strata_test {

// Writes folder/fileName: 8 sectors of 512 bytes, the private header in
// sector 6 with the disk GUID text, the group name and the database area's
// start and size in sectors. Returns the path.
std::string WritePrivateHeaderImage(const std::string& folder, const std::string& fileName,
                                    const std::string& diskGuid, const std::string& groupName,
                                    std::uint64_t configStart = 0, std::uint64_t configSize = 0);

}  // namespace strata_test

#endif
