#include "tools/strata-ldm/GroupDescription.h"

#include "tools/strata-ldm/DiskPlan.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace strata_tools {

namespace {

std::string Text(const nlohmann::json& object, const char* key, const std::string& fallback) {
    if (!object.contains(key)) {
        return fallback;
    }
    if (!object[key].is_string()) {
        throw std::runtime_error(std::string("\"") + key + "\" must be a text");
    }
    return object[key].get<std::string>();
}

std::uint64_t Number(const nlohmann::json& object, const char* key, std::uint64_t fallback) {
    if (!object.contains(key)) {
        return fallback;
    }
    const nlohmann::json& value = object[key];
    if (!value.is_number_integer() || (!value.is_number_unsigned() && value.get<std::int64_t>() < 0)) {
        throw std::runtime_error(std::string("\"") + key + "\" must be a number of 0 or more");
    }
    return value.get<std::uint64_t>();
}

VolumeLayout ParseLayout(const std::string& text) {
    if (text == "simple") return VolumeLayout::Simple;
    if (text == "spanned") return VolumeLayout::Spanned;
    if (text == "striped") return VolumeLayout::Striped;
    if (text == "mirror" || text == "mirrored") return VolumeLayout::Mirror;
    if (text == "raid5") return VolumeLayout::Raid5;
    throw std::runtime_error("unknown volume layout \"" + text +
                             "\" (simple, spanned, striped, mirror, raid5)");
}

// Spreads every input bit over the whole word (the splitmix64 finaliser).
std::uint64_t Mix(std::uint64_t value) {
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

PartitionStyle ParseStyle(const std::string& text) {
    if (text == "mbr") return PartitionStyle::Mbr;
    if (text == "gpt") return PartitionStyle::Gpt;
    throw std::runtime_error("unknown partition style \"" + text + "\" (mbr, gpt)");
}

}  // namespace

std::string GuidFromName(const std::string& name) {
    std::uint64_t a = 1469598103934665603ull;
    std::uint64_t b = 7809847782465536322ull;
    for (unsigned char c : name) {
        a = (a ^ c) * 1099511628211ull;
        b = (b ^ c) * 6364136223846793005ull + 1442695040888963407ull;
    }
    a = Mix(a);
    b = Mix(b ^ a);
    char text[40];
    std::snprintf(text, sizeof(text), "%08x-%04x-4%03x-8%03x-%012llx",
                  static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                  static_cast<unsigned>(a & 0xFFF), static_cast<unsigned>(b >> 52),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return text;
}

const DiskDescription* GroupDescription::FindDisk(const std::string& diskName) const {
    for (const DiskDescription& disk : disks) {
        if (disk.name == diskName) {
            return &disk;
        }
    }
    return nullptr;
}

std::uint64_t LayoutVolumeSize(const VolumeDescription& volume) {
    std::uint64_t total = 0;
    std::uint64_t smallest = volume.partitions.empty() ? 0 : volume.partitions[0].size;
    for (const PartitionDescription& partition : volume.partitions) {
        total += partition.size;
        smallest = std::min(smallest, partition.size);
    }
    const std::uint64_t count = volume.partitions.size();
    switch (volume.layout) {
    case VolumeLayout::Simple:
    case VolumeLayout::Spanned: return total;
    case VolumeLayout::Striped: return smallest * count;
    case VolumeLayout::Mirror: return smallest;
    case VolumeLayout::Raid5: return count > 1 ? smallest * (count - 1) : 0;
    }
    return total;
}

GroupDescription ParseGroupDescription(const nlohmann::json& json) {
    if (!json.is_object()) {
        throw std::runtime_error("the description must be a JSON object");
    }
    GroupDescription group;
    group.sectorSize = static_cast<std::uint32_t>(Number(json, "sectorSize", 512));
    if (group.sectorSize < 512 || group.sectorSize % 512 != 0 || group.sectorSize > 65536) {
        throw std::runtime_error("\"sectorSize\" must be a multiple of 512 up to 65536");
    }
    const std::uint64_t mib = (1u << 20) / group.sectorSize;
    group.configSectors = Number(json, "configSectors", std::max<std::uint64_t>(mib, 64));
    const std::uint64_t diskSectors = Number(json, "diskSectors", 50 * mib);
    const std::string style = Text(json, "style", "mbr");
    const std::uint64_t reservedSectors = Number(json, "reservedSectors", mib);

    const nlohmann::json groupJson = json.value("group", nlohmann::json::object());
    group.name = Text(groupJson, "name", "Strata-Dg0");
    group.guid = Text(groupJson, "guid", GuidFromName("group:" + group.name));
    group.diskSetGuid = Text(groupJson, "diskSetGuid", GuidFromName("diskset:" + group.name));
    group.version = static_cast<int>(Number(groupJson, "version", 4));
    if (group.version != 3 && group.version != 4) {
        throw std::runtime_error("\"group.version\" must be 3 or 4");
    }

    if (!json.contains("disks") || !json["disks"].is_array() || json["disks"].empty()) {
        throw std::runtime_error("\"disks\" must list at least one disk");
    }
    for (const nlohmann::json& diskJson : json["disks"]) {
        DiskDescription disk;
        disk.name = Text(diskJson, "name", "Disk" + std::to_string(group.disks.size() + 1));
        disk.guid = Text(diskJson, "guid", GuidFromName("disk:" + group.name + disk.name));
        disk.alternateName = Text(diskJson, "alternateName", "");
        disk.image = Text(diskJson, "image", disk.name + ".img");
        disk.style = ParseStyle(Text(diskJson, "style", style));
        disk.sectors = Number(diskJson, "sectors", diskSectors);
        disk.reservedSectors = Number(diskJson, "reservedSectors", reservedSectors);
        disk.dataStart = Number(diskJson, "dataStart", DefaultDataStart(group, disk));
        if (group.FindDisk(disk.name) != nullptr) {
            throw std::runtime_error("disk \"" + disk.name + "\" is described twice");
        }
        PlanDisk(group, disk);  // throws when the pieces do not fit
        group.disks.push_back(disk);
    }

    const nlohmann::json volumes = json.value("volumes", nlohmann::json::array());
    for (const nlohmann::json& volumeJson : volumes) {
        VolumeDescription volume;
        volume.name = Text(volumeJson, "name", "Volume" + std::to_string(group.volumes.size() + 1));
        volume.layout = ParseLayout(Text(volumeJson, "layout", "simple"));
        volume.hint = Text(volumeJson, "hint", "");
        volume.state = Text(volumeJson, "state", "ACTIVE");
        volume.partitionType =
            static_cast<unsigned char>(Number(volumeJson, "partitionType", 0x07) & 0xFF);
        volume.guid = Text(volumeJson, "guid", GuidFromName("volume:" + group.name + volume.name));
        volume.stripeSize = Number(volumeJson, "stripeSize", 128);
        volume.id1 = Text(volumeJson, "id1", "");
        volume.id2 = Text(volumeJson, "id2", "");
        volume.childSize = Text(volumeJson, "childSize", "");
        if (!volumeJson.contains("partitions") || !volumeJson["partitions"].is_array() ||
            volumeJson["partitions"].empty()) {
            throw std::runtime_error("volume \"" + volume.name + "\" needs its partitions");
        }
        for (const nlohmann::json& partJson : volumeJson["partitions"]) {
            PartitionDescription partition;
            partition.disk = Text(partJson, "disk", "");
            const DiskDescription* disk = group.FindDisk(partition.disk);
            if (disk == nullptr) {
                throw std::runtime_error("volume \"" + volume.name + "\" names unknown disk \"" +
                                         partition.disk + "\"");
            }
            partition.start = Number(partJson, "start", 0);
            partition.size = Number(partJson, "size", 0);
            const std::uint64_t dataSize = PlanDisk(group, *disk).dataSectors;
            if (partition.size == 0 || partition.start + partition.size > dataSize) {
                throw std::runtime_error("a partition of volume \"" + volume.name +
                                         "\" does not fit the data region of " + disk->name);
            }
            partition.name = Text(partJson, "name", "");
            volume.partitions.push_back(partition);
        }
        const std::size_t count = volume.partitions.size();
        if ((volume.layout == VolumeLayout::Simple && count != 1) ||
            (volume.layout == VolumeLayout::Mirror && count < 2) ||
            (volume.layout == VolumeLayout::Raid5 && count < 3)) {
            throw std::runtime_error("volume \"" + volume.name +
                                     "\" has the wrong number of partitions for its layout");
        }
        volume.size = Number(volumeJson, "size", LayoutVolumeSize(volume));
        group.volumes.push_back(volume);
    }
    return group;
}

}  // namespace strata_tools
