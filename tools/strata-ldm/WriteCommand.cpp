#include "tools/strata-ldm/WriteCommand.h"

#include "tools/strata-ldm/DiskImageWriter.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace strata_tools {

GroupDescription LoadGroupDescription(const std::string& path) {
    std::ifstream in(path);
    if (!in.is_open()) {
        throw std::runtime_error("cannot read " + path);
    }
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded()) {
        throw std::runtime_error(path + " is not valid JSON");
    }
    return ParseGroupDescription(json);
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
    for (const DiskDescription& disk : group.disks) {
        writer.Write(disk.name, args[1] + "/" + disk.image);
    }
    return 0;
}

}  // namespace strata_tools
