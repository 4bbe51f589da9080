// Writes the fuzzer's seed corpus: the databases of the given drive images
// (for instance the Windows-written fixtures) moved into small drives,
// databases written by strata-ldm for a few groups, and a small GPT dynamic
// disk.
//   ldm_fuzz_seeds OUTDIR [IMAGE...]
#include "ldm/LdmLayout.h"
#include "ldm/PrivateHeader.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <boost/endian/conversion.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using strata_col::ldm_layout::kConfigSizeOffset;
using strata_col::ldm_layout::kConfigStartOffset;
typedef std::vector<unsigned char> Bytes;

const std::uint64_t kSeedConfigStart = 8;
// Enough of an area for the VMDB and the first few hundred blocks.
const std::uint64_t kSeedAreaBytes = 20 * 1024;

void Save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Mode byte 0 (drive, 512-byte sectors), the header at sector 6 pointing at
// the area, which follows at sector 8.
Bytes DriveSeed(Bytes header, const Bytes& area, std::uint32_t sectorSize) {
    header.resize(sectorSize, 0);
    boost::endian::store_big_u64(&header[kConfigStartOffset], kSeedConfigStart);
    boost::endian::store_big_u64(&header[kConfigSizeOffset], area.size() / sectorSize);
    Bytes seed(1, sectorSize == 4096 ? 2 : 0);
    Bytes drive(kSeedConfigStart * sectorSize, 0);
    std::copy(header.begin(), header.end(), drive.begin() + 6 * sectorSize);
    drive.insert(drive.end(), area.begin(), area.end());
    seed.insert(seed.end(), drive.begin(), drive.end());
    return seed;
}

// Mode byte 1, the VMDB offset, then the area for the block scan alone.
Bytes AreaSeed(const Bytes& area, std::uint32_t vmdbOffset) {
    Bytes seed{1, static_cast<unsigned char>(vmdbOffset >> 24), static_cast<unsigned char>(vmdbOffset >> 16),
               static_cast<unsigned char>(vmdbOffset >> 8), static_cast<unsigned char>(vmdbOffset)};
    seed.insert(seed.end(), area.begin(), area.end());
    return seed;
}

bool ImageSeeds(const std::string& image, const std::string& outdir, int index) {
    std::ifstream in(image, std::ios::binary);
    Bytes header(512, 0);
    in.seekg(6 * 512);
    in.read(reinterpret_cast<char*>(header.data()), 512);
    strata_col::PrivateHeader fields;
    if (!in || !strata_col::DecodePrivateHeader(header, fields)) {
        std::cerr << "ldm_fuzz_seeds: no private header in " << image << "\n";
        return false;
    }
    Bytes area(kSeedAreaBytes, 0);
    in.seekg(static_cast<std::streamoff>(fields.configStart * 512));
    in.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
    const std::string base = outdir + "/image" + std::to_string(index);
    Save(base + "-drive", DriveSeed(header, area, 512));
    Save(base + "-area", AreaSeed(area, 17 * 512));
    return true;
}

void WrittenSeeds(const std::string& outdir, int version, std::uint32_t sectorSize) {
    const std::uint64_t unit = sectorSize / 512;
    const nlohmann::json description = {
        {"sectorSize", sectorSize}, {"configSectors", 128 / unit}, {"diskSectors", 8192 / unit},
        {"group", {{"name", "Seed-Dg0"}, {"version", version}}},
        {"disks", {{{"name", "Disk1"}, {"alternateName", "SCSI\\DISK&VEN_SEED&PROD_LONG_NAME_FOR_TWO_BLOCKS"}},
                   {{"name", "Disk2"}}, {{"name", "Disk3"}}}},
        {"volumes",
         {{{"name", "Simple"}, {"layout", "simple"}, {"hint", "E:"}, {"id1", "0a"}, {"childSize", "80"},
           {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 64 / unit}}}}},
          {{"name", "Spanned"}, {"layout", "spanned"}, {"id2", "0b"},
           {"partitions", {{{"disk", "Disk1"}, {"start", 64 / unit}, {"size", 64 / unit}},
                           {{"disk", "Disk2"}, {"start", 0}, {"size", 64 / unit}}}}},
          {{"name", "Mirror"}, {"layout", "mirror"},
           {"partitions", {{{"disk", "Disk2"}, {"start", 64 / unit}, {"size", 64 / unit}},
                           {{"disk", "Disk3"}, {"start", 0}, {"size", 64 / unit}}}}},
          {{"name", "Raid"}, {"layout", "raid5"}, {"hint", "I:"},
           {"partitions", {{{"disk", "Disk1"}, {"start", 128 / unit}, {"size", 64 / unit}},
                           {{"disk", "Disk2"}, {"start", 128 / unit}, {"size", 64 / unit}},
                           {{"disk", "Disk3"}, {"start", 64 / unit}, {"size", 64 / unit}}}}}}}};
    const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
    const strata_tools::DiskImageWriter writer(group);
    Bytes area = writer.DatabaseArea();
    area.resize(kSeedAreaBytes);
    const std::string base = outdir + "/written-v" + std::to_string(version) + "-" + std::to_string(sectorSize);
    Save(base + "-drive", DriveSeed(writer.PrivateHeaderSector(group.disks[0]), area, sectorSize));
    Save(base + "-area", AreaSeed(area, 17 * 512));
}

// A GPT dynamic disk cut short after its metadata partition, so that it
// fits the fuzzer's input size: protective MBR, primary GPT, and the
// database area whose last sector holds the private header.
void GptSeed(const std::string& outdir) {
    const std::uint64_t areaSectors = 28;
    const nlohmann::json description = {
        {"configSectors", areaSectors}, {"diskSectors", 128}, {"reservedSectors", 0},
        {"group", {{"name", "Seed-Dg0"}}},
        {"disks", {{{"name", "Disk1"}, {"style", "gpt"}, {"dataStart", 62}}}},
        {"volumes", {{{"name", "Simple"}, {"layout", "simple"},
                      {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 16}}}}}}}};
    const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
    const std::string image = outdir + "/gpt.img.tmp";
    strata_tools::DiskImageWriter(group).Write("Disk1", image);
    const strata_tools::DiskPlan plan = strata_tools::PlanDisk(group, group.disks[0]);
    Bytes drive((plan.configStart + areaSectors) * 512, 0);
    {
        std::ifstream in(image, std::ios::binary);
        in.read(reinterpret_cast<char*>(drive.data()), static_cast<std::streamsize>(drive.size()));
    }
    std::remove(image.c_str());
    Bytes seed(1, 0);
    seed.insert(seed.end(), drive.begin(), drive.end());
    Save(outdir + "/written-gpt-drive", seed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: ldm_fuzz_seeds OUTDIR [IMAGE...]\n";
        return 2;
    }
    const std::string outdir = argv[1];
    for (int i = 2; i < argc; ++i) {
        ImageSeeds(argv[i], outdir, i - 1);
    }
    try {
        WrittenSeeds(outdir, 3, 512);
        WrittenSeeds(outdir, 4, 512);
        WrittenSeeds(outdir, 4, 4096);
        GptSeed(outdir);
    } catch (const std::exception& error) {
        std::cerr << "ldm_fuzz_seeds: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
