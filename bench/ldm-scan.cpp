// VBLK scan throughput over a 1 MiB database area whose every 128-byte slot after
// the VMDB holds a record (volumes, components, partitions, disks and a
// group, each with its own ObjectID), then over the same area with every
// block empty, which measures the search alone.
//   bench_ldm_scan [ROUNDS]
#include "ldm/LdmLayout.h"
#include "ldm/VBLKParser.h"
#include "tools/strata-ldm/DatabaseRecords.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace strata_col::ldm_layout;

const std::size_t kAreaBytes = 1 << 20;
const std::uint32_t kVmdbOffset = 17 * 512;

std::vector<unsigned char> FullArea(std::size_t& records) {
    const nlohmann::json description = {
        {"group", {{"name", "Bench-Dg0"}, {"version", 3}}},
        {"disks", {{{"name", "Disk1"}}, {{"name", "Disk2"}}, {{"name", "Disk3"}}}},
        {"volumes", {{{"name", "Raid"}, {"layout", "raid5"}, {"hint", "I:"},
                      {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 2048}},
                                      {{"disk", "Disk2"}, {"start", 0}, {"size", 2048}},
                                      {{"disk", "Disk3"}, {"start", 0}, {"size", 2048}}}}}}}};
    const strata_tools::DatabaseRecords templates =
        strata_tools::EncodeDatabaseRecords(strata_tools::ParseGroupDescription(description));
    std::vector<unsigned char> area(kAreaBytes, 0);
    records = 0;
    std::size_t slot = 0;
    for (std::size_t at = kVmdbOffset + kVmdbSize; at + 2 * kVblkSize <= kAreaBytes; at += kVblkSize, ++slot) {
        const strata_tools::Bytes& data = templates.records[slot % templates.records.size()].data;
        std::copy(kVblkMagic, kVblkMagic + kVblkMagicSize, area.begin() + at);
        std::copy(data.begin(), data.begin() + std::min(data.size(), kVblkSize - kVblkUpdateStatusOffset),
                  area.begin() + at + kVblkUpdateStatusOffset);
        // A two-byte ObjectID of its own (every template's is two bytes long).
        area[at + kVblkBodyOffset + 1] = static_cast<unsigned char>(slot >> 8);
        area[at + kVblkBodyOffset + 2] = static_cast<unsigned char>(slot);
        ++records;
    }
    return area;
}

double MedianSeconds(const std::vector<unsigned char>& area, int rounds, std::size_t& found,
                     double& best) {
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        strata_col::VBLKParser parser;
        const strata_col::LDMDataBase database = parser.Parse(area.data(), kVmdbOffset, area.size());
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        found = database.volumes.size() + database.components.size() + database.partitions.size() +
                database.disks.size() + database.diskGroups.size();
    }
    std::sort(seconds.begin(), seconds.end());
    best = seconds.front();
    return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    std::size_t records = 0;
    const std::vector<unsigned char> area = FullArea(records);
    std::size_t found = 0;
    double best = 0;
    const double mb = static_cast<double>(area.size()) / 1e6;
    double median = MedianSeconds(area, rounds, found, best);
    std::printf("VBLK scan, every block a record: %.2f MB, %zu records filed, median of %d rounds "
                "%.3f ms = %.1f MB/s (best %.1f MB/s)\n",
                mb, found, rounds, median * 1e3, mb / median, mb / best);
    const bool allFiled = found == records;

    // The same area with every block empty (type 0): the search and copy alone.
    std::vector<unsigned char> empty = area;
    for (std::size_t at = kVmdbOffset + kVmdbSize; at + kVblkSize <= empty.size(); at += kVblkSize) {
        std::fill(empty.begin() + at + kVblkUpdateStatusOffset, empty.begin() + at + kVblkSize, 0);
    }
    median = MedianSeconds(empty, rounds, found, best);
    std::printf("VBLK scan, every block empty:    %.2f MB, %zu records filed, median of %d rounds "
                "%.3f ms = %.1f MB/s (best %.1f MB/s)\n",
                mb, found, rounds, median * 1e3, mb / median, mb / best);
    return allFiled && found == 0 ? 0 : 1;
}
