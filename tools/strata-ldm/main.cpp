// strata-ldm: dumps the dynamic-disk databases of images or drives as JSON,
// and writes dynamic-disk images from a description of a disk group.
#include "ldm/LDMDBParser.h"
#include "tools/strata-ldm/DatabaseJson.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/GroupDescription.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage:\n"
    "  strata-ldm dump [--sector-size N] IMAGE...\n"
    "      print the dynamic-disk database of each image as JSON, keyed by the\n"
    "      disk GUID of its private header; Windows device paths (\\\\.\\PhysicalDrive1)\n"
    "      are read with the drive's own sector size\n"
    "  strata-ldm write DESCRIPTION.json OUT.img [DISK-NAME]\n"
    "      write the image of one disk of the described group (the first disk\n"
    "      when no name is given)\n"
    "  strata-ldm write-all DESCRIPTION.json FOLDER\n"
    "      write the image of every disk into FOLDER, named by each disk's \"image\"\n";

bool IsDevicePath(const std::string& path) {
    return path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\", 0) == 0;
}

int Dump(const std::vector<std::string>& args) {
    std::uint32_t sectorSize = 512;
    strata_col::DeviceMap devices;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--sector-size" && i + 1 < args.size()) {
            sectorSize = static_cast<std::uint32_t>(std::strtoul(args[++i].c_str(), nullptr, 10));
            if (sectorSize == 0) {
                std::cerr << "strata-ldm: --sector-size needs a positive number\n";
                return 2;
            }
        } else {
            // Keys keep the images in command-line order.
            char key[16];
            std::snprintf(key, sizeof(key), "%08zu", devices.size());
            devices.insert(strata_col::DeviceMap::value_type(key, args[i]));
        }
    }
    if (devices.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    for (const auto& device : devices) {
        if (IsDevicePath(device.second)) {
            continue;
        }
        std::ifstream probe(device.second, std::ios::binary);
        if (!probe.is_open()) {
            std::cerr << "strata-ldm: cannot read " << device.second << "\n";
            return 1;
        }
    }
    // Windows device paths (\\.\PhysicalDrive1) are read the way the plug-in
    // reads them, with the drive's own sector size; files as images.
    strata_col::DeviceMap drives;
    strata_col::DeviceMap images;
    for (const auto& device : devices) {
        (IsDevicePath(device.second) ? drives : images).insert(device);
    }
    strata_col::DatabaseCache decoded;
    strata_col::DiskDatabaseMap databases = strata_col::LDMDBParser(&decoded).ReadDatabases(drives);
    strata_tools::ImageFileAccess access(sectorSize);
    const strata_col::DiskDatabaseMap fromImages =
        strata_col::LDMDBParser(access, &decoded).ReadDatabases(images);
    for (const auto& entry : fromImages) {
        databases[entry.first] = entry.second;
    }
    std::cout << strata_tools::DatabasesToJson(databases).dump(2) << "\n";
    return 0;
}

strata_tools::GroupDescription LoadDescription(const std::string& path) {
    std::ifstream in(path);
    if (!in.is_open()) {
        throw std::runtime_error("cannot read " + path);
    }
    nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded()) {
        throw std::runtime_error(path + " is not valid JSON");
    }
    return strata_tools::ParseGroupDescription(json);
}

int Write(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) {
        std::cerr << kUsage;
        return 2;
    }
    const strata_tools::GroupDescription group = LoadDescription(args[0]);
    const std::string disk = args.size() == 3 ? args[2] : group.disks.front().name;
    strata_tools::DiskImageWriter(group).Write(disk, args[1]);
    return 0;
}

int WriteAll(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << kUsage;
        return 2;
    }
    const strata_tools::GroupDescription group = LoadDescription(args[0]);
    const strata_tools::DiskImageWriter writer(group);
    for (const strata_tools::DiskDescription& disk : group.disks) {
        writer.Write(disk.name, args[1] + "/" + disk.image);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "dump") return Dump(args);
        if (command == "write") return Write(args);
        if (command == "write-all") return WriteAll(args);
        if (command == "--help" || command == "-h") {
            std::cout << kUsage;
            return 0;
        }
    } catch (const std::exception& error) {
        std::cerr << "strata-ldm: " << error.what() << "\n";
        return 1;
    }
    std::cerr << kUsage;
    return 2;
}
