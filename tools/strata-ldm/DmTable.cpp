#include "tools/strata-ldm/DmTable.h"

#include "collect/TextConversions.h"

#include <algorithm>

namespace strata_tools {

namespace {

const std::uint64_t kDmSector = 512;

std::string DmSectors(std::uint64_t bytes) {
    return strata_col::ToDecimalText(static_cast<unsigned long long>(bytes / kDmSector));
}

// A device and the sector on it where a column or plex starts.
struct Place {
    std::string device;
    std::uint64_t offset = 0;  // bytes
};

class Tables {
public:
    Tables(const MappedGroup& group, const MappedVolume& volume)
        : group_(group), volume_(volume), name_(group.name + "-" + volume.name) {}

    std::vector<DmDevice> Make(std::string& whyNot) {
        const int chosen = volume_.ChoosePlex();
        if (chosen < 0) {
            whyNot = volume_.ReadingText();
            return {};
        }
        DmDevice top;
        top.name = name_;
        const std::string length = DmSectors(volume_.size);
        if (volume_.kind == VolumeKind::Mirror) {
            std::vector<Place> plexes;
            for (std::size_t p = 0; p < volume_.plexes.size(); ++p) {
                if (volume_.plexes[p].Complete()) plexes.push_back(PlexPlace(p));
            }
            if (plexes.size() == 1) {
                top.lines.push_back("0 " + length + " linear " + plexes[0].device + " " + DmSectors(plexes[0].offset));
            } else {
                std::string line = "0 " + length + " mirror core 2 1024 nosync " +
                                   strata_col::ToDecimalText(static_cast<unsigned long long>(plexes.size()));
                for (const Place& plex : plexes) line += " " + plex.device + " " + DmSectors(plex.offset);
                top.lines.push_back(line);
            }
        } else {
            const Plex& plex = volume_.plexes[static_cast<std::size_t>(chosen)];
            if (plex.shape == PlexShape::Concatenated) {
                top.lines = LinearLines(plex.columns[0], volume_.size);
            } else {
                top.lines.push_back("0 " + length + " " + StripedTarget(plex, "-c"));
            }
        }
        devices_.push_back(top);
        return devices_;
    }

private:
    // The column's first `limit` bytes, extent by extent.
    std::vector<std::string> LinearLines(const Column& column, std::uint64_t limit) const {
        std::vector<std::string> lines;
        for (const MemberExtent& extent : column.extents) {
            if (extent.columnOffset >= limit) break;
            const std::uint64_t length = std::min(extent.length, limit - extent.columnOffset);
            lines.push_back(DmSectors(extent.columnOffset) + " " + DmSectors(length) + " linear " +
                            group_.images[static_cast<std::size_t>(extent.image)].path + " " +
                            DmSectors(extent.imageOffset));
        }
        return lines;
    }

    // A column (or a concatenated plex) as one device: the image itself when
    // it is one extent, else a linear device of its own.
    Place ColumnPlace(const Plex& plex, const Column& column, const std::string& helperName) {
        Place place;
        if (column.extents.size() == 1) {
            const MemberExtent& extent = column.extents[0];
            place.device = group_.images[static_cast<std::size_t>(extent.image)].path;
            place.offset = extent.imageOffset;
            return place;
        }
        DmDevice helper;
        helper.name = helperName;
        helper.lines = LinearLines(column, plex.ColumnBytesFor(volume_.size));
        devices_.push_back(helper);
        place.device = "/dev/mapper/" + helperName;
        return place;
    }

    Place PlexPlace(std::size_t p) {
        const Plex& plex = volume_.plexes[p];
        const std::string helper = name_ + "-p" + strata_col::ToDecimalText(static_cast<unsigned long long>(p + 1));
        if (plex.shape == PlexShape::Concatenated) return ColumnPlace(plex, plex.columns[0], helper);
        DmDevice device;
        device.name = helper;
        device.lines.push_back("0 " + DmSectors(volume_.size) + " " + StripedTarget(plex, "-p" + std::to_string(p + 1) + "-c"));
        devices_.push_back(device);
        Place place;
        place.device = "/dev/mapper/" + helper;
        return place;
    }

    std::string StripedTarget(const Plex& plex, const std::string& columnSuffix) {
        const std::string chunk = DmSectors(plex.stripeBytes);
        const std::string count = strata_col::ToDecimalText(static_cast<unsigned long long>(plex.columns.size()));
        std::string line;
        if (plex.shape == PlexShape::Striped) {
            line = "striped " + count + " " + chunk;
            for (std::size_t c = 0; c < plex.columns.size(); ++c) {
                const Place place = ColumnPlace(plex, plex.columns[c], name_ + columnSuffix + std::to_string(c));
                line += " " + place.device + " " + DmSectors(place.offset);
            }
            return line;
        }
        // The raid target takes whole devices: every column is one of its own.
        line = "raid raid5_ls 2 " + chunk + " nosync " + count;
        for (std::size_t c = 0; c < plex.columns.size(); ++c) {
            if (!plex.columns[c].Present()) {
                line += " - -";
                continue;
            }
            const std::string helper = name_ + columnSuffix + std::to_string(c);
            DmDevice device;
            device.name = helper;
            device.lines = LinearLines(plex.columns[c], plex.ColumnBytesFor(volume_.size));
            devices_.push_back(device);
            line += " - /dev/mapper/" + helper;
        }
        return line;
    }

    const MappedGroup& group_;
    const MappedVolume& volume_;
    std::string name_;
    std::vector<DmDevice> devices_;
};

}  // namespace

std::vector<DmDevice> DmTables(const MappedGroup& group, const MappedVolume& volume, std::string& whyNot) {
    return Tables(group, volume).Make(whyNot);
}

}  // namespace strata_tools
