// libFuzzer target for the dynamic-disk database reader.
//
// The first byte picks what the rest is:
//   bit 0 clear: a drive image (sector size 512, or 4096 when bit 1 is set)
//                read through the whole reader: private header at sector 6
//                or at the end of a GPT disk's LDM metadata partition,
//                database area where the header says;
//   bit 0 set:   a database area for the block scan alone, after a 32-bit
//                big-endian VMDB offset.
#include "ldm/LDMDBParser.h"
#include "ldm/VBLKParser.h"
#include "tests/ldm/MemoryDiskAccess.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    if (mode & 1) {
        if (size < 5) {
            return 0;
        }
        const std::uint32_t vmdb = (std::uint32_t(data[1]) << 24) | (std::uint32_t(data[2]) << 16) |
                                   (std::uint32_t(data[3]) << 8) | std::uint32_t(data[4]);
        // An exact-size copy, so a read past the area is outside the buffer.
        std::vector<unsigned char> area(data + 5, data + size);
        strata_col::VBLKParser().Parse(area.data(), vmdb, area.size());
        return 0;
    }
    strata_test::MemoryDiskAccess access;
    strata_test::MemoryDrive& drive = access.drives["drive"];
    drive.sectorSize = (mode & 2) ? 4096 : 512;
    drive.bytes.assign(data + 1, data + size);
    // Read twice through one cache, as the two collectors of a query do: the
    // second read finds the first one's database.
    strata_col::DatabaseCache cache;
    strata_col::LDMDBParser parser(access, &cache);
    const strata_col::DeviceMap devices{{"id", "drive"}};
    parser.ReadDatabases(devices);
    const strata_col::DiskDatabaseMap databases = parser.ReadDatabases(devices);
    for (const auto& entry : databases) {
        entry.second->PartitionsOfDisk(entry.first);
    }
    parser.GetPrivateHeader("drive");
    return 0;
}
