#include "tools/strata-ldm/GroupDescription.h"

#include "tools/strata-ldm/DiskPlan.h"

#include "tools/strata-ldm/SectorSize.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <set>
#include <stdexcept>
#include <nlohmann/json.hpp>

namespace strata_tools {

namespace {

// Every sector number and count of a description, in bytes, must fit a file
// offset (signed 64 bits), so sums of two of them cannot wrap.
const std::uint64_t kMaxOffset = 0x7FFFFFFFFFFFFFFFull;
// The database area is built in memory; Windows makes it 1 MiB.
const std::uint64_t kMaxConfigBytes = std::uint64_t(64) << 20;
const std::size_t kMaxPathLength = 4096;
const std::size_t kMaxHexDigits = 2 * 255;  // a var-num holds up to 255 bytes
// Components are named "<volume>-NN" and unnamed partitions "<disk>-NN", and
// every name is stored with a one-byte length: volume and disk names leave
// room for the three characters.
const std::size_t kMaxNamedAfterLength = 255 - 3;

// The keys of one JSON object of a description; errors name each key by its
// place (disks[1].dataStart).
class Keys {
public:
    Keys(const nlohmann::json& object, const std::string& where) : object_(object), where_(where) {
        if (!object.is_object()) {
            throw std::runtime_error((where.empty() ? std::string("the description") : where) +
                                     " must be a JSON object");
        }
    }

    std::string Where(const char* key) const { return where_.empty() ? key : where_ + "." + key; }

    [[noreturn]] void Fail(const char* key, const std::string& problem) const {
        throw std::runtime_error(Where(key) + " " + problem);
    }

    bool Has(const char* key) const {
        asked_.insert(key);
        return object_.contains(key);
    }
    const nlohmann::json& Get(const char* key) const {
        asked_.insert(key);
        return object_.at(key);
    }

    // A key nothing asked for is a mistake (a misspelt "sectorSise" would
    // otherwise leave the disk at 512-byte sectors without a word); only
    // "comment" may stand anywhere, as in machine descriptions.
    void Finish() const {
        for (const auto& member : object_.items()) {
            if (member.key() != "comment" && asked_.count(member.key()) == 0) Fail(member.key().c_str(), "is not a key of this description");
        }
    }

    // Names are stored with a one-byte length; longer texts are refused
    // before they reach a record or a message.
    std::string Text(const char* key, const std::string& fallback, std::size_t maxLength = 255) const {
        if (!Has(key)) return fallback;
        if (!Get(key).is_string()) Fail(key, "must be a text");
        const std::string& text = Get(key).get_ref<const std::string&>();
        if (text.size() > maxLength) Fail(key, "must be at most " + std::to_string(maxLength) + " characters long");
        return text;
    }

    std::uint64_t Number(const char* key, std::uint64_t fallback, std::uint64_t max = kMaxOffset) const {
        if (!Has(key)) return fallback;
        const nlohmann::json& value = Get(key);
        if (!value.is_number_integer() || (!value.is_number_unsigned() && value.get<std::int64_t>() < 0) ||
            value.get<std::uint64_t>() > max) {
            Fail(key, "must be a number from 0 to " + std::to_string(max));
        }
        return value.get<std::uint64_t>();
    }

private:
    const nlohmann::json& object_;
    std::string where_;
    mutable std::set<std::string> asked_;
};

std::string Item(const std::string& list, std::size_t index) {
    return list + "[" + std::to_string(index) + "]";
}

// write-all puts each image into its target folder: a name that leaves it
// (an absolute path, "..") is refused.
bool StaysInFolder(const std::string& image) {
    const std::filesystem::path path(image);
    if (image.empty() || path.is_absolute() || path.has_root_name() || path.has_root_directory() ||
        !path.has_filename()) {
        return false;
    }
    for (const std::filesystem::path& part : path) {
        if (part == "..") return false;
    }
    return true;
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

// Placed partitions of a spanned volume must tile it, end to end from 0.
void CheckPlacedPartitions(const VolumeDescription& volume) {
    std::vector<std::pair<std::uint64_t, std::uint64_t> > places;
    for (const PartitionDescription& partition : volume.partitions) {
        if (partition.placed) places.emplace_back(partition.volumeOffset, partition.size);
    }
    if (places.empty()) return;
    const std::string where = "volume \"" + volume.name + "\": ";
    if (volume.layout != VolumeLayout::Spanned && volume.layout != VolumeLayout::Simple) {
        throw std::runtime_error(where + "volumeOffset places the partitions of spanned volumes only");
    }
    if (places.size() != volume.partitions.size()) {
        throw std::runtime_error(where + "either every partition has a volumeOffset or none");
    }
    std::sort(places.begin(), places.end());
    std::uint64_t next = 0;
    for (const auto& place : places) {
        if (place.first != next) {
            throw std::runtime_error(where + "its partitions' volumeOffsets leave a gap or overlap at sector " +
                                     std::to_string(next));
        }
        next += place.second;
    }
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
    const std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t total = 0;
    std::uint64_t smallest = volume.partitions.empty() ? 0 : volume.partitions[0].size;
    for (const PartitionDescription& partition : volume.partitions) {
        if (partition.size > kMax - total) {
            throw std::runtime_error("volume \"" + volume.name + "\" is larger than 2^64 sectors");
        }
        total += partition.size;
        smallest = std::min(smallest, partition.size);
    }
    const std::uint64_t count = volume.partitions.size();
    switch (volume.layout) {
    case VolumeLayout::Simple:
    case VolumeLayout::Spanned: return total;
    case VolumeLayout::Striped: return smallest * count;  // at most the total
    case VolumeLayout::Mirror: return smallest;
    case VolumeLayout::Raid5: return count > 1 ? smallest * (count - 1) : 0;
    }
    return total;
}

GroupDescription ParseGroupDescription(const nlohmann::json& json) {
    const Keys top(json, "");
    GroupDescription group;
    const std::uint64_t sectorSize = top.Number("sectorSize", 512);
    if (!IsSectorSize(sectorSize)) top.Fail("sectorSize", "must be a power of two from 512 to 65536");
    group.sectorSize = static_cast<std::uint32_t>(sectorSize);
    const std::uint64_t maxSectors = kMaxOffset / group.sectorSize;
    const std::uint64_t mib = (1u << 20) / group.sectorSize;
    group.configSectors = top.Number("configSectors", std::max<std::uint64_t>(mib, 64),
                                     kMaxConfigBytes / group.sectorSize);
    const std::uint64_t diskSectors = top.Number("diskSectors", 50 * mib, maxSectors);
    const std::string style = top.Text("style", "mbr");
    const std::uint64_t reservedSectors = top.Number("reservedSectors", mib, maxSectors);

    const nlohmann::json groupJson = top.Has("group") ? top.Get("group") : nlohmann::json::object();
    const Keys groupKeys(groupJson, "group");
    group.name = groupKeys.Text("name", "Strata-Dg0");
    group.guid = groupKeys.Text("guid", GuidFromName("group:" + group.name));
    group.diskSetGuid = groupKeys.Text("diskSetGuid", GuidFromName("diskset:" + group.name));
    group.version = static_cast<int>(groupKeys.Number("version", 4, 255));
    // Object IDs are written as var-nums of up to 8 bytes; room is left for
    // every record after the first.
    group.firstObjectId = groupKeys.Number("firstObjectId", 0x401, 0xFFFFFFFFull);
    if (group.version != 3 && group.version != 4) groupKeys.Fail("version", "must be 3 or 4");
    groupKeys.Finish();

    if (!top.Has("disks") || !top.Get("disks").is_array() || top.Get("disks").empty()) {
        throw std::runtime_error("\"disks\" must list at least one disk");
    }
    for (const nlohmann::json& diskJson : top.Get("disks")) {
        const Keys keys(diskJson, Item("disks", group.disks.size()));
        DiskDescription disk;
        disk.name = keys.Text("name", "Disk" + std::to_string(group.disks.size() + 1), kMaxNamedAfterLength);
        disk.guid = keys.Text("guid", GuidFromName("disk:" + group.name + disk.name));
        disk.alternateName = keys.Text("alternateName", "");
        disk.image = keys.Text("image", disk.name + ".img", kMaxPathLength);
        if (!StaysInFolder(disk.image)) keys.Fail("image", "must name a file inside the target folder");
        disk.style = ParseStyle(keys.Text("style", style));
        disk.sectors = keys.Number("sectors", diskSectors, maxSectors);
        disk.reservedSectors = keys.Number("reservedSectors", reservedSectors, maxSectors);
        disk.dataStart = keys.Number("dataStart", DefaultDataStart(group, disk), maxSectors);
        keys.Finish();
        if (group.FindDisk(disk.name) != nullptr) {
            throw std::runtime_error("disk \"" + disk.name + "\" is described twice");
        }
        PlanDisk(group, disk);  // throws when the pieces do not fit
        group.disks.push_back(disk);
    }

    const nlohmann::json volumes = top.Has("volumes") ? top.Get("volumes") : nlohmann::json::array();
    if (!volumes.is_array()) top.Fail("volumes", "must be a list");
    for (const nlohmann::json& volumeJson : volumes) {
        const Keys keys(volumeJson, Item("volumes", group.volumes.size()));
        VolumeDescription volume;
        volume.name = keys.Text("name", "Volume" + std::to_string(group.volumes.size() + 1), kMaxNamedAfterLength);
        volume.layout = ParseLayout(keys.Text("layout", "simple"));
        volume.hint = keys.Text("hint", "");
        volume.state = keys.Text("state", "ACTIVE");
        volume.partitionType = static_cast<unsigned char>(keys.Number("partitionType", 0x07, 0xFF));
        volume.guid = keys.Text("guid", GuidFromName("volume:" + group.name + volume.name));
        volume.stripeSize = keys.Number("stripeSize", 128, maxSectors);
        volume.id1 = keys.Text("id1", "", kMaxHexDigits);
        volume.id2 = keys.Text("id2", "", kMaxHexDigits);
        volume.childSize = keys.Text("childSize", "", kMaxHexDigits);
        if (!keys.Has("partitions") || !keys.Get("partitions").is_array() || keys.Get("partitions").empty()) {
            throw std::runtime_error("volume \"" + volume.name + "\" needs its partitions");
        }
        for (const nlohmann::json& partJson : keys.Get("partitions")) {
            const Keys partKeys(partJson, keys.Where("partitions") + "[" +
                                              std::to_string(volume.partitions.size()) + "]");
            PartitionDescription partition;
            partition.disk = partKeys.Text("disk", "");
            const DiskDescription* disk = group.FindDisk(partition.disk);
            if (disk == nullptr) {
                throw std::runtime_error("volume \"" + volume.name + "\" names unknown disk \"" +
                                         partition.disk + "\"");
            }
            partition.start = partKeys.Number("start", 0, maxSectors);
            partition.size = partKeys.Number("size", 0, maxSectors);
            const std::uint64_t dataSize = PlanDisk(group, *disk).dataSectors;
            if (partition.size == 0 || partition.start > dataSize || partition.size > dataSize - partition.start) {
                throw std::runtime_error("a partition of volume \"" + volume.name +
                                         "\" does not fit the data region of " + disk->name);
            }
            partition.name = partKeys.Text("name", "");
            partition.placed = partKeys.Has("volumeOffset");
            partition.volumeOffset = partKeys.Number("volumeOffset", 0, maxSectors);
            partKeys.Finish();
            volume.partitions.push_back(partition);
        }
        const std::size_t count = volume.partitions.size();
        if ((volume.layout == VolumeLayout::Simple && count != 1) ||
            (volume.layout == VolumeLayout::Mirror && count < 2) ||
            (volume.layout == VolumeLayout::Raid5 && count < 3)) {
            throw std::runtime_error("volume \"" + volume.name +
                                     "\" has the wrong number of partitions for its layout");
        }
        CheckPlacedPartitions(volume);
        volume.size = keys.Number("size", LayoutVolumeSize(volume), std::numeric_limits<std::uint64_t>::max());
        keys.Finish();
        group.volumes.push_back(volume);
    }
    top.Finish();
    return group;
}

}  // namespace strata_tools
