#include "tools/strata-ldm/VolumeMap.h"

#include "collect/TextConversions.h"
#include "ldm/DatabaseLookup.h"

#include <algorithm>
#include <limits>
#include <map>

namespace strata_tools {

using strata_col::HexField;
using strata_col::RecordField;
using strata_col::RecordMap;
using strata_col::RecordTable;

const char* VolumeKindName(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Simple: return "simple";
    case VolumeKind::Spanned: return "spanned";
    case VolumeKind::Striped: return "striped";
    case VolumeKind::Mirror: return "mirror";
    case VolumeKind::Raid5: return "raid5";
    }
    return "simple";
}

const char* ReadabilityName(Readability readability) {
    switch (readability) {
    case Readability::Full: return "full";
    case Readability::Degraded: return "degraded";
    case Readability::Unreadable: return "unreadable";
    }
    return "unreadable";
}

bool Column::Present() const {
    if (extents.empty()) return false;
    for (const MemberExtent& extent : extents) {
        if (extent.image < 0) return false;
    }
    return true;
}

std::uint64_t Column::Length() const {
    return extents.empty() ? 0 : extents.back().columnOffset + extents.back().length;
}

std::size_t Plex::DataColumns() const {
    if (shape == PlexShape::Concatenated) return 1;
    return shape == PlexShape::Raid5 && !columns.empty() ? columns.size() - 1 : columns.size();
}

std::uint64_t Plex::ColumnBytesFor(std::uint64_t size) const {
    if (shape == PlexShape::Concatenated || stripeBytes == 0 || DataColumns() == 0) return size;
    const std::uint64_t row = stripeBytes * DataColumns();
    // The last row may be partial; every column holds as much of it as its
    // largest unit (parity covers the row's longest unit).
    return size / row * stripeBytes + std::min(stripeBytes, size % row);
}

std::size_t Plex::MissingColumns() const {
    std::size_t missing = 0;
    for (const Column& column : columns) {
        if (!column.Present()) ++missing;
    }
    return missing;
}

bool Plex::Readable() const {
    const std::size_t missing = MissingColumns();
    return missing == 0 || (shape == PlexShape::Raid5 && missing == 1 && columns.size() >= 3);
}

Readability MappedVolume::Reading() const {
    if (!fault.empty() || plexes.empty()) return Readability::Unreadable;
    bool complete = true;
    bool readable = false;
    for (const Plex& plex : plexes) {
        complete = complete && plex.Complete();
        readable = readable || plex.Readable();
    }
    if (complete) return Readability::Full;
    return readable ? Readability::Degraded : Readability::Unreadable;
}

int MappedVolume::ChoosePlex(int wanted) const {
    if (!fault.empty()) return -1;
    if (wanted >= 0) {
        return static_cast<std::size_t>(wanted) < plexes.size() && plexes[wanted].Readable() ? wanted : -1;
    }
    for (std::size_t i = 0; i < plexes.size(); ++i) {
        if (plexes[i].Complete()) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < plexes.size(); ++i) {
        if (plexes[i].Readable()) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::string> MappedVolume::MissingDisks() const {
    std::vector<std::string> disks;
    for (const Plex& plex : plexes) {
        for (const Column& column : plex.columns) {
            for (const MemberExtent& extent : column.extents) {
                if (extent.image < 0 && std::find(disks.begin(), disks.end(), extent.diskName) == disks.end()) {
                    disks.push_back(extent.diskName);
                }
            }
        }
    }
    return disks;
}

namespace {

std::string JoinNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

}  // namespace

std::string MappedVolume::ReadingText() const {
    if (!fault.empty()) return fault;
    const std::vector<std::string> missing = MissingDisks();
    switch (Reading()) {
    case Readability::Full: return "all members";
    case Readability::Unreadable: return "missing " + JoinNames(missing);
    case Readability::Degraded: break;
    }
    const int chosen = ChoosePlex();
    const Plex& plex = plexes[static_cast<std::size_t>(chosen)];
    if (!plex.Complete()) return "parity stands in for " + JoinNames(missing);
    return "plex " + plex.name + " stands in for " + JoinNames(missing);
}

std::string GuidTextOfDigits(const std::string& digits) {
    if (digits.size() != 32) return digits;
    return digits.substr(0, 8) + "-" + digits.substr(8, 4) + "-" + digits.substr(12, 4) + "-" +
           digits.substr(16, 4) + "-" + digits.substr(20);
}

namespace {

const std::uint64_t kLargestNumber = std::numeric_limits<std::uint64_t>::max();

// A record's number field in bytes; false when absent, wider than 64 bits,
// or beyond 64 bits once multiplied.
bool BytesField(const RecordMap& record, const char* key, std::uint64_t unit, std::uint64_t& bytes) {
    const std::string digits = RecordField(record, key);
    if (digits.empty() || digits.size() > 16) return false;
    const std::uint64_t value = strata_col::HexTextToNumber(digits);
    if (unit != 0 && value > kLargestNumber / unit) return false;
    bytes = value * unit;
    return true;
}

bool Add(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
    if (a > kLargestNumber - b) return false;
    sum = a + b;
    return true;
}

class Mapper {
public:
    Mapper(const strata_col::LDMDataBase& database, const std::vector<MemberImage>& images)
        : database_(database), images_(images),
          sectorSize_(images.empty() ? 512 : images.front().sectorSize) {
        for (std::size_t i = 0; i < images.size(); ++i) {
            imageOfGuid_.emplace(strata_col::NormalizedGuid(images[i].diskGuid), static_cast<int>(i));
        }
        for (const auto& component : database.components) {
            componentsOf_.emplace(RecordField(component.second, "ParentID"), &component.second);
        }
        for (const auto& partition : database.partitions) {
            partitionsOf_.emplace(RecordField(partition.second, "ParentID"), &partition.second);
        }
    }

    MappedVolume Map(const std::string& objectId, const RecordMap& record) const {
        MappedVolume volume;
        volume.objectId = objectId;
        volume.name = RecordField(record, "Name");
        volume.guid = GuidTextOfDigits(RecordField(record, "VolumeID"));
        volume.hint = RecordField(record, "DriveHint");
        volume.state = RecordField(record, "VolumeState");
        if (!BytesField(record, "Size", sectorSize_, volume.size)) {
            volume.fault = "its size is missing or beyond 64 bits";
        }
        const auto components = componentsOf_.equal_range(objectId);
        for (auto it = components.first; it != components.second; ++it) {
            volume.plexes.push_back(MapPlex(*it->second, volume));
        }
        volume.kind = KindOf(record, volume);
        if (volume.plexes.empty() && volume.fault.empty()) volume.fault = "no component record names it";
        for (const Plex& plex : volume.plexes) CheckPlex(plex, volume);
        return volume;
    }

private:
    static VolumeKind KindOf(const RecordMap& record, const MappedVolume& volume) {
        if (volume.plexes.size() > 1) return VolumeKind::Mirror;
        if (RecordField(record, "VolumeType") == "raid5" ||
            (!volume.plexes.empty() && volume.plexes[0].shape == PlexShape::Raid5)) {
            return VolumeKind::Raid5;
        }
        if (volume.plexes.empty()) return VolumeKind::Simple;
        const Plex& plex = volume.plexes[0];
        if (plex.shape == PlexShape::Striped) return VolumeKind::Striped;
        return !plex.columns.empty() && plex.columns[0].extents.size() > 1 ? VolumeKind::Spanned
                                                                            : VolumeKind::Simple;
    }

    Plex MapPlex(const RecordMap& component, MappedVolume& volume) const {
        Plex plex;
        plex.name = RecordField(component, "Name");
        const std::uint64_t type = HexField(component, "ComponentType");
        plex.shape = type == strata_col::component_type::kStriped ? PlexShape::Striped
                     : type == strata_col::component_type::kRaid5 ? PlexShape::Raid5
                                                                  : PlexShape::Concatenated;
        std::uint64_t columns = 1;
        if (plex.shape != PlexShape::Concatenated) {
            if (!BytesField(component, "StripeSize", sectorSize_, plex.stripeBytes) || plex.stripeBytes == 0) {
                Fault(volume, "plex " + plex.name + " has no stripe size");
            }
            columns = HexField(component, "Columns");
        }
        const auto partitions = partitionsOf_.equal_range(RecordField(component, "ObjectID"));
        for (auto it = partitions.first; it != partitions.second; ++it) {
            const std::uint64_t column =
                plex.shape == PlexShape::Concatenated ? 0 : HexField(*it->second, "ColumnIndex");
            if (column >= kMostColumns) {
                Fault(volume, "partition " + RecordField(*it->second, "Name") + " names column " +
                                  strata_col::ToDecimalText(static_cast<unsigned long long>(column)));
                continue;
            }
            columns = std::max<std::uint64_t>(columns, column + 1);
            if (columns > kMostColumns) columns = kMostColumns;
            plex.columns.resize(static_cast<std::size_t>(columns));
            plex.columns[static_cast<std::size_t>(column)].extents.push_back(MapExtent(*it->second, volume));
        }
        plex.columns.resize(static_cast<std::size_t>(std::min<std::uint64_t>(columns, kMostColumns)));
        if (plex.stripeBytes > kLargestRowBytes / std::max<std::size_t>(1, plex.columns.size())) {
            Fault(volume, "plex " + plex.name + " has rows of more than 64 MiB (stripe size " +
                              strata_col::ToDecimalText(static_cast<unsigned long long>(plex.stripeBytes)) +
                              " bytes)");
        }
        for (Column& column : plex.columns) {
            std::sort(column.extents.begin(), column.extents.end(),
                      [](const MemberExtent& a, const MemberExtent& b) { return a.columnOffset < b.columnOffset; });
        }
        return plex;
    }

    MemberExtent MapExtent(const RecordMap& partition, MappedVolume& volume) const {
        MemberExtent extent;
        extent.partitionName = RecordField(partition, "Name");
        const RecordMap* disk = strata_col::FindRecord(database_.disks, RecordField(partition, "DiskID"));
        extent.diskName = disk ? RecordField(*disk, "Name") : "";
        std::uint64_t start = 0;
        if (!BytesField(partition, "Start", sectorSize_, start) ||
            !BytesField(partition, "Size", sectorSize_, extent.length) ||
            !BytesField(partition, "VolumeOffset", sectorSize_, extent.columnOffset)) {
            Fault(volume, "partition " + extent.partitionName + " has a place beyond 64 bits or none");
        }
        if (disk == nullptr) {
            extent.whyMissing = "its disk record is missing";
            extent.diskName = "(disk record " + RecordField(partition, "DiskID") + ")";
            return extent;
        }
        const int image = ImageOfDisk(extent.diskName);
        if (image < 0) {
            extent.whyMissing = "no image given";
            return extent;
        }
        const MemberImage& member = images_[static_cast<std::size_t>(image)];
        std::uint64_t end = 0;
        if (!Add(member.dataStart, start, extent.imageOffset) || !Add(extent.imageOffset, extent.length, end) ||
            end > member.length) {
            extent.whyMissing = "its image " + member.path + " ends before the extent";
            return extent;
        }
        extent.image = image;
        return extent;
    }

public:
    int ImageOfDisk(const std::string& diskName) const {
        const auto guid = database_.diskGuidByName.find(diskName);
        if (guid == database_.diskGuidByName.end()) return -1;
        const auto image = imageOfGuid_.find(strata_col::NormalizedGuid(guid->second));
        return image == imageOfGuid_.end() ? -1 : image->second;
    }

private:

    static void CheckPlex(const Plex& plex, MappedVolume& volume) {
        if (plex.columns.empty()) {
            Fault(volume, "plex " + plex.name + " has no partition record");
            return;
        }
        if (plex.shape == PlexShape::Raid5 && plex.columns.size() < 3) {
            Fault(volume, "RAID-5 plex " + plex.name + " has " + strata_col::ToDecimalText(static_cast<unsigned long long>(plex.columns.size())) +
                              " columns; parity needs three or more");
            return;
        }
        const std::uint64_t needed = plex.ColumnBytesFor(volume.size);
        for (std::size_t c = 0; c < plex.columns.size(); ++c) {
            const Column& column = plex.columns[c];
            const std::string where = plex.columns.size() == 1
                                          ? "plex " + plex.name
                                          : "column " + strata_col::ToDecimalText(static_cast<unsigned long long>(c)) +
                                                " of plex " + plex.name;
            std::uint64_t next = 0;
            for (const MemberExtent& extent : column.extents) {
                if (extent.columnOffset != next) {
                    Fault(volume, where + (extent.columnOffset < next ? " has overlapping extents at byte "
                                                                      : " has a gap at byte ") +
                                      strata_col::ToDecimalText(static_cast<unsigned long long>(next)));
                    return;
                }
                if (!Add(next, extent.length, next)) return;
            }
            if (next < needed) {
                Fault(volume, where + " holds " + strata_col::ToDecimalText(static_cast<unsigned long long>(next)) +
                                  " bytes of the " +
                                  strata_col::ToDecimalText(static_cast<unsigned long long>(needed)) + " it must");
                return;
            }
        }
    }

    static void Fault(MappedVolume& volume, const std::string& why) {
        if (volume.fault.empty()) volume.fault = why;
    }

    // Windows stripes over at most 32 disks; a column index far beyond that
    // is damage and must not size an allocation.
    static constexpr std::uint64_t kMostColumns = 256;
    // Windows' rows are 64 KiB a column; a row is read whole, so a damaged
    // stripe size must not size the buffer.
    static constexpr std::uint64_t kLargestRowBytes = 64ull << 20;

    const strata_col::LDMDataBase& database_;
    const std::vector<MemberImage>& images_;
    std::uint32_t sectorSize_;
    std::map<std::string, int> imageOfGuid_;
    std::multimap<std::string, const RecordMap*> componentsOf_;
    std::multimap<std::string, const RecordMap*> partitionsOf_;
};

}  // namespace

std::vector<GroupDisk> MapDisks(const strata_col::LDMDataBase& database, const std::vector<MemberImage>& images) {
    const Mapper mapper(database, images);
    std::vector<GroupDisk> disks;
    for (const auto& record : database.disks) {
        GroupDisk disk;
        disk.name = RecordField(record.second, "Name");
        disk.image = mapper.ImageOfDisk(disk.name);
        disks.push_back(disk);
    }
    return disks;
}

std::vector<MappedVolume> MapVolumes(const strata_col::LDMDataBase& database,
                                     const std::vector<MemberImage>& images) {
    const Mapper mapper(database, images);
    std::vector<MappedVolume> volumes;
    for (const auto& volume : database.volumes) {
        volumes.push_back(mapper.Map(volume.first, volume.second));
    }
    return volumes;
}

}  // namespace strata_tools
