#include "tools/strata-ldm/WriteCommand.h"
#include "platform/UniqueKeyJson.h"

#include "tools/strata-ldm/DiskImageWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <nlohmann/json.hpp>

namespace strata_tools {

namespace {

const std::uintmax_t kMaxDescriptionBytes = std::uintmax_t(16) << 20;

std::string ReadDescriptionText(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) throw std::runtime_error("cannot read it: " + error.message());
    // A FIFO would block the read, a device could be endless.
    if (status.type() != std::filesystem::file_type::regular) throw std::runtime_error("not a regular file");
    if (std::filesystem::file_size(path) > kMaxDescriptionBytes) throw std::runtime_error("larger than 16 MiB");
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw std::runtime_error("cannot read it");
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxDescriptionBytes) throw std::runtime_error("larger than 16 MiB");
    }
    return text;
}

}  // namespace

GroupDescription LoadGroupDescription(const std::string& path) {
    try {
        nlohmann::json json;
        try {
            json = strata_json::ParseUniqueKeys(ReadDescriptionText(path));
        } catch (const nlohmann::json::exception&) {
            throw std::runtime_error("not valid JSON");
        }
        return ParseGroupDescription(json);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}

int WriteCommand(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) {
        std::cerr << "usage: strata-ldm write DESCRIPTION.json OUT.img [DISK-NAME]\n";
        return 2;
    }
    const GroupDescription group = LoadGroupDescription(args[0]);
    const std::string disk = args.size() == 3 ? args[2] : group.disks.front().name;
    DiskImageWriter(group).Write(disk, args[1]);
    return 0;
}

int WriteAllCommand(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << "usage: strata-ldm write-all DESCRIPTION.json FOLDER\n";
        return 2;
    }
    const GroupDescription group = LoadGroupDescription(args[0]);
    const DiskImageWriter writer(group);
    // Every image name stays inside the folder (the description is checked).
    for (const DiskDescription& disk : group.disks) {
        writer.Write(disk.name, (std::filesystem::path(args[1]) / disk.image).string());
    }
    return 0;
}

}  // namespace strata_tools
