#include "tools/strata-ldm/WriteCommand.h"
#include "platform/UniqueKeyJson.h"

#include "platform/DiskFormat.h"
#include "platform/win32.h"
#include "tools/strata-ldm/DiskImageWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
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

// With --force an earlier image of a dynamic disk may be replaced, nothing
// else: a file counts as one when its first sector holds a partition table
// whose first entry is a dynamic-disk (0x42) or protective GPT (0xEE) one.
std::string KeepAllButDynamicDiskImages(const std::string& path) {
    const std::string refusal = "exists and is not a dynamic-disk image; it is not replaced, even with --force";
    std::ifstream in(path, std::ios::binary);
    char sector[512];
    if (!in.read(sector, sizeof sector)) return refusal;
    const auto byte = [&sector](std::size_t at) { return static_cast<unsigned char>(sector[at]); };
    using namespace disk_format;
    const unsigned char type = byte(kMbrPartitionTableOffset + kMbrEntryTypeOffset);
    const bool signed_ = byte(kMbrBootSignatureOffset) == kMbrBootSignature0 &&
                         byte(kMbrBootSignatureOffset + 1) == kMbrBootSignature1;
    return signed_ && (type == PARTITION_LDM || type == kProtectivePartitionType) ? std::string() : refusal;
}

std::string KeepWithoutForce(const std::string&) {
    return "exists; it is not replaced (--force replaces an earlier dynamic-disk image)";
}

// Takes a leading --force off `args`.
ExistingFileRule RuleFor(std::vector<std::string>& args) {
    if (args.empty() || args.front() != "--force") return KeepWithoutForce;
    args.erase(args.begin());
    return KeepAllButDynamicDiskImages;
}

// Two disks written to one name would leave one image and lose the other.
void RefuseSharedImageNames(const GroupDescription& group) {
    for (std::size_t i = 0; i < group.disks.size(); ++i) {
        const std::filesystem::path image = std::filesystem::path(group.disks[i].image).lexically_normal();
        for (std::size_t j = 0; j < i; ++j) {
            if (std::filesystem::path(group.disks[j].image).lexically_normal() == image) {
                throw std::runtime_error("disks \"" + group.disks[j].name + "\" and \"" + group.disks[i].name +
                                         "\" both have the image \"" + group.disks[i].image + "\"");
            }
        }
    }
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

int WriteCommand(std::vector<std::string> args) {
    const ExistingFileRule rule = RuleFor(args);
    if (args.size() < 2 || args.size() > 3) {
        std::cerr << "usage: strata-ldm write [--force] DESCRIPTION.json OUT.img [DISK-NAME]\n";
        return 2;
    }
    const GroupDescription group = LoadGroupDescription(args[0]);
    const std::string disk = args.size() == 3 ? args[2] : group.disks.front().name;
    DiskImageWriter(group).Write(disk, args[1], rule);
    return 0;
}

int WriteAllCommand(std::vector<std::string> args) {
    const ExistingFileRule rule = RuleFor(args);
    if (args.size() != 2) {
        std::cerr << "usage: strata-ldm write-all [--force] DESCRIPTION.json FOLDER\n";
        return 2;
    }
    const GroupDescription group = LoadGroupDescription(args[0]);
    RefuseSharedImageNames(group);
    // Every image's place is checked (and its temporary file made) before
    // the first is written, so a refused name leaves no image behind.
    std::vector<std::unique_ptr<NewFile>> files;
    for (const DiskDescription& disk : group.disks) {
        files.push_back(std::make_unique<NewFile>(args[1], disk.image, rule));
    }
    const DiskImageWriter writer(group);
    for (std::size_t i = 0; i < files.size(); ++i) writer.Write(group.disks[i].name, *files[i]);
    return 0;
}

}  // namespace strata_tools
