// Writes a simulated machine with a basic system disk and N dynamic disks of
// one group whose 1 MiB databases are full: volumes of every layout, spread
// round-robin over the disks, as many as the database area holds. Each
// volume is mounted (roots V1:\, V2:\, ...) with the extents Windows would
// report for it.
//   bench_make_machine DISKS FOLDER [VOLUMES]
// writes FOLDER/machine.json and the images; with VOLUMES, only that many
// volumes (the databases keep their 1 MiB size but are mostly empty).
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/GroupDescription.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace {

using strata_tools::GroupDescription;
using strata_tools::VolumeLayout;

const std::uint64_t kDatabaseSectors = 2048;  // 1 MiB
const std::uint64_t kDataStart = 63;
const std::uint64_t kPartitionSectors = 2048;

struct LayoutPlan {
    VolumeLayout layout;
    std::size_t partitions;
};

// The layouts the number of disks allows, in turn.
std::vector<LayoutPlan> Layouts(std::size_t disks) {
    std::vector<LayoutPlan> layouts = {{VolumeLayout::Simple, 1}};
    if (disks >= 2) {
        layouts.push_back({VolumeLayout::Spanned, 2});
        layouts.push_back({VolumeLayout::Striped, 2});
        layouts.push_back({VolumeLayout::Mirror, 2});
    }
    if (disks >= 3) layouts.push_back({VolumeLayout::Raid5, 3});
    return layouts;
}

GroupDescription Group(std::size_t disks, std::size_t volumes) {
    GroupDescription group;
    group.configSectors = kDatabaseSectors;
    group.name = "BENCH-Dg0";
    group.guid = "0b5e1c4e-0000-4000-8000-000000000000";
    group.diskSetGuid = "0b5e1c4e-0000-4000-8000-000000000001";
    std::vector<std::uint64_t> used(disks, 0);
    for (std::size_t i = 0; i < disks; ++i) {
        strata_tools::DiskDescription disk;
        disk.name = "Disk" + std::to_string(i + 1);
        char guid[64];
        std::snprintf(guid, sizeof guid, "0b5e1c4e-%04zx-4000-8000-%012zx", i / 0x10000, i + 1);
        disk.guid = guid;
        disk.image = "bench-disk" + std::to_string(i + 1) + ".img";
        disk.dataStart = kDataStart;
        group.disks.push_back(disk);
    }
    const std::vector<LayoutPlan> layouts = Layouts(disks);
    std::size_t nextDisk = 0;
    for (std::size_t v = 0; v < volumes; ++v) {
        const LayoutPlan& plan = layouts[v % layouts.size()];
        strata_tools::VolumeDescription volume;
        volume.name = "Volume" + std::to_string(v + 1);
        volume.layout = plan.layout;
        volume.guid = group.guid.substr(0, 24) + [&] {
            char tail[16];
            std::snprintf(tail, sizeof tail, "%012zx", 0x100000 + v);
            return std::string(tail);
        }();
        for (std::size_t p = 0; p < plan.partitions; ++p) {
            const std::size_t d = nextDisk++ % disks;
            strata_tools::PartitionDescription partition;
            partition.disk = group.disks[d].name;
            char name[32];
            std::snprintf(name, sizeof name, "%s-%02zu", group.disks[d].name.c_str(), used[d] / kPartitionSectors + 1);
            partition.name = name;
            partition.start = used[d];
            partition.size = kPartitionSectors;
            used[d] += kPartitionSectors;
            volume.partitions.push_back(partition);
        }
        volume.size = strata_tools::LayoutVolumeSize(volume);
        group.volumes.push_back(volume);
    }
    for (std::size_t i = 0; i < disks; ++i) {
        group.disks[i].sectors = kDataStart + used[i] + kPartitionSectors + kDatabaseSectors;
    }
    return group;
}

bool DatabaseFits(const GroupDescription& group) {
    try {
        strata_tools::DiskImageWriter(group).DatabaseArea();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

// The most volumes whose records fit the database area.
std::size_t MostVolumes(std::size_t disks) {
    std::size_t fits = 0, fails = 1;
    while (DatabaseFits(Group(disks, fails))) fits = fails, fails *= 2;
    while (fails - fits > 1) {
        const std::size_t middle = (fits + fails) / 2;
        (DatabaseFits(Group(disks, middle)) ? fits : fails) = middle;
    }
    return fits;
}

nlohmann::json Machine(const GroupDescription& group) {
    using nlohmann::json;
    json devices = json::array();
    devices.push_back({{"class", "disk"},
                       {"instanceId", "SCSI\\DISK&VEN_BENCH&PROD_SYSTEM\\4&0&0&000000"},
                       {"deviceNumber", 0},
                       {"length", 68719476736LL},
                       {"layout", {{"style", "mbr"}, {"signature", "0x0B5E1C4E"},
                                   {"partitions", {{{"offset", 1048576}, {"length", 68718428160LL},
                                                    {"number", 1}, {"type", "0x07"}, {"boot", true}},
                                                   json::object(), json::object(), json::object()}}}}});
    json volumes = json::array();
    volumes.push_back({{"roots", {"C:\\"}}, {"label", "System"}, {"fileSystem", "NTFS"},
                       {"freeBytes", 34359738368LL},
                       {"extents", {{{"disk", 0}, {"offset", 1048576}, {"length", 68718428160LL}}}}});
    for (std::size_t i = 0; i < group.disks.size(); ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "SCSI\\DISK&VEN_BENCH&PROD_DYNAMIC\\4&0&0&%06zu", i + 1);
        devices.push_back({{"class", "disk"}, {"instanceId", id}, {"deviceNumber", i + 1},
                           {"image", group.disks[i].image}});
    }
    for (std::size_t v = 0; v < group.volumes.size(); ++v) {
        const strata_tools::VolumeDescription& volume = group.volumes[v];
        json extents = json::array();
        for (const strata_tools::PartitionDescription& partition : volume.partitions) {
            std::size_t disk = 0;
            while (group.disks[disk].name != partition.disk) ++disk;
            extents.push_back({{"disk", disk + 1},
                               {"offset", (kDataStart + partition.start) * 512},
                               {"length", partition.size * 512}});
        }
        volumes.push_back({{"roots", {"V" + std::to_string(v + 1) + ":\\"}}, {"label", volume.name},
                           {"fileSystem", "NTFS"}, {"freeBytes", volume.size * 256},
                           {"length", volume.size * 512}, {"extents", extents}});
    }
    return {{"comment", "A generated benchmark machine."}, {"name", "STRATA-BENCH"},
            {"devices", devices}, {"volumes", volumes}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || std::atoi(argv[1]) < 1) {
        std::cerr << "usage: bench_make_machine DISKS FOLDER [VOLUMES]\n";
        return 2;
    }
    const std::size_t disks = static_cast<std::size_t>(std::atoi(argv[1]));
    const std::string folder = argv[2];
    try {
        const std::size_t most = MostVolumes(disks);
        const std::size_t volumes = argc > 3 ? std::min<std::size_t>(most, std::strtoul(argv[3], nullptr, 10)) : most;
        const GroupDescription group = Group(disks, volumes);
        const strata_tools::DiskImageWriter writer(group);
        for (const strata_tools::DiskDescription& disk : group.disks) {
            writer.Write(disk.name, folder + "/" + disk.image);
        }
        std::ofstream(folder + "/machine.json") << Machine(group).dump(1) << "\n";
        std::cout << disks << " dynamic disks, " << group.volumes.size() << " volumes\n";
    } catch (const std::exception& error) {
        std::cerr << "bench_make_machine: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
