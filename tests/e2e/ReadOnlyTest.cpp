// A whole query reads disks and never writes them.
#include "host/HostSession.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string_view>

namespace {

struct ImageState {
    std::uint64_t checksum = 0;
    off_t size = 0;
    struct timespec modified = {};

    bool operator==(const ImageState& other) const {
        return checksum == other.checksum && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

// A hash of every byte of the file, with its size and modification time.
ImageState StateOf(const std::string& path) {
    ImageState state;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        state.size = info.st_size;
        state.modified = info.st_mtim;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    std::uint64_t hash = 0;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        const std::size_t piece =
            std::hash<std::string_view>()(std::string_view(chunk.data(), in.gcount()));
        hash = hash * 1099511628211ull ^ piece;
    }
    state.checksum = hash;
    return state;
}

TEST(ReadOnly, AFullQueryLeavesEveryImageByteIdentical) {
    STRATA_REQUIRE_FIXTURES();
    strata_sim::Machine machine;
    std::vector<std::string> images;
    std::uint32_t number = 0;
    for (const std::string& name : strata_test::FixtureImageNames()) {
        images.push_back(strata_test::FixtureImage(name));
        machine.devices.push_back(strata_test::FixedDisk(number++, images.back()));
    }
    strata_sim::SetMachine(machine);
    std::vector<ImageState> before;
    for (const std::string& image : images) before.push_back(StateOf(image));

    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    session.Query({"ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive",
                   "ORVA_DisketteDrive", "ORVA_DiskPartition", "ORVA_LogicalDisk",
                   "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup", "ORVA_MediaPresent",
                   "ORVA_PartitionPresent", "ORVA_LogicalDiskBasedOnPartition",
                   "ORVA_LogicalDiskBasedOnExtent", "ORVA_DynamicVolumeBasedOnExtent",
                   "ORVA_DynamicExtentBasedOn", "ORVA_DriveInDynamicDiskGroup",
                   "ORVA_DynamicExtentInDiskGroup"});
    EXPECT_EQ(10u, session.Instances("ORVA_DiskDrive").size());
    EXPECT_EQ(0, strata_sim::OpenRawFileCount());
    EXPECT_EQ(0, strata_sim::OpenHandleCount());
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_TRUE(StateOf(images[i]) == before[i]) << images[i] << " changed";
    }
}

}  // namespace
