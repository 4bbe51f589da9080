#include "tools/strata-ldm/VolumeCommands.h"

#include "platform/VisibleText.h"
#include "tools/strata-ldm/DmTable.h"
#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/ExtentMap.h"
#include "tools/strata-ldm/OutputCheck.h"
#include "tools/strata-ldm/VolumeArguments.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <iostream>

namespace strata_tools {

namespace {

using nlohmann::json;

const char kVolumesUsage[] =
    "usage: strata-ldm volumes [--format json] [--map] [--dm-table] [--sector-size N] IMAGE...\n";

std::string ImageName(const MappedGroup& group, int image) {
    return image < 0 ? "missing" : group.images[static_cast<std::size_t>(image)].path;
}

// JSON texts are made valid UTF-8 as the dump makes them.
std::string Dump(const json& value) { return value.dump(2, ' ', false, json::error_handler_t::replace); }

json MembersJson(const MappedGroup& group, const MappedVolume& volume) {
    json members = json::array();
    for (std::size_t p = 0; p < volume.plexes.size(); ++p) {
        const Plex& plex = volume.plexes[p];
        for (std::size_t c = 0; c < plex.columns.size(); ++c) {
            for (const MemberExtent& extent : plex.columns[c].extents) {
                json member = {{"plex", p + 1},
                               {"column", c},
                               {"partition", extent.partitionName},
                               {"disk", extent.diskName},
                               {"image", ImageName(group, extent.image)},
                               {"imageOffset", extent.imageOffset},
                               {"length", extent.length},
                               {"columnOffset", extent.columnOffset}};
                if (extent.image < 0) member["whyMissing"] = extent.whyMissing;
                members.push_back(member);
            }
        }
    }
    return members;
}

json VolumeJson(const MappedGroup& group, const MappedVolume& volume) {
    json plexes = json::array();
    for (const Plex& plex : volume.plexes) {
        plexes.push_back({{"name", plex.name},
                          {"columns", plex.columns.size()},
                          {"stripeSize", plex.stripeBytes}});
    }
    return {{"name", volume.name},
            {"guid", volume.guid},
            {"hint", volume.hint},
            {"layout", VolumeKindName(volume.kind)},
            {"size", volume.size},
            {"state", volume.state},
            {"reading", ReadabilityName(volume.Reading())},
            {"readingNote", volume.ReadingText()},
            {"plexes", plexes},
            {"members", MembersJson(group, volume)}};
}

json RunJson(const MappedGroup& group, std::size_t plex, const MapRun& run) {
    return {{"plex", plex + 1},
            {"volumeOffset", run.volumeOffset},
            {"length", run.length},
            {"disk", run.extent->diskName},
            {"image", ImageName(group, run.extent->image)},
            {"imageOffset", run.imageOffset}};
}

// An object's text without its closing brace, so that more members can be
// streamed into it.
std::string Opened(const json& object) {
    const std::string text = Dump(object);
    return text.substr(0, text.find_last_not_of("}\n ") + 1);
}

void PrintJson(const DynamicImageSet& images, bool withMap) {
    std::cout << "{\n\"groups\": [";
    const char* groupComma = "";
    for (const MappedGroup& group : images.Groups()) {
        json disks = json::array();
        for (const GroupDisk& disk : group.disks) disks.push_back({{"name", disk.name}, {"image", ImageName(group, disk.image)}});
        std::cout << groupComma << "\n"
                  << Opened({{"name", group.name}, {"guid", group.guid}, {"disks", disks}}) << ",\n\"volumes\": [";
        groupComma = ",";
        const char* volumeComma = "";
        for (const MappedVolume& volume : group.volumes) {
            std::cout << volumeComma << "\n";
            volumeComma = ",";
            if (!withMap) {
                std::cout << Dump(VolumeJson(group, volume));
                continue;
            }
            std::cout << Opened(VolumeJson(group, volume)) << ",\n\"map\": [";
            const char* runComma = "";
            for (std::size_t p = 0; p < volume.plexes.size() && volume.fault.empty(); ++p) {
                ForEachRun(volume.plexes[p], volume.size, [&](const MapRun& run) {
                    std::cout << runComma << "\n" << RunJson(group, p, run).dump();
                    runComma = ",";
                });
            }
            std::cout << "]}";
        }
        std::cout << "]}";
    }
    json problems = images.Problems();
    std::cout << "],\n\"problems\": " << Dump(problems) << "\n}\n";
}

// Texts from the disk may hold control bytes: every line is shown escaped.
void Line(const std::string& text) { std::cout << strata_text::VisibleText(text) << "\n"; }

std::string ExtentText(const MappedGroup& group, const Plex& plex, std::size_t column, const MemberExtent& extent) {
    std::string text = "      ";
    if (plex.shape != PlexShape::Concatenated) text += "column " + Decimal(column) + ": ";
    text += extent.partitionName + " on " + extent.diskName + " (" + ImageName(group, extent.image);
    if (extent.image < 0) text += ": " + extent.whyMissing;
    return text + ") bytes " + Decimal(extent.imageOffset) + "+" + Decimal(extent.length) + " at " +
           Decimal(extent.columnOffset);
}

void PrintVolumeText(const MappedGroup& group, const MappedVolume& volume, bool withMap) {
    Line("  " + volume.name + "  " + (volume.hint.empty() ? "-" : volume.hint) + "  " + VolumeKindName(volume.kind) +
         "  " + Decimal(volume.size) + " bytes  " + volume.state + "  " + ReadabilityName(volume.Reading()) + ": " +
         volume.ReadingText());
    Line("    guid " + volume.guid);
    for (std::size_t p = 0; p < volume.plexes.size(); ++p) {
        const Plex& plex = volume.plexes[p];
        std::string title = "    plex " + Decimal(p + 1) + " " + plex.name;
        if (plex.shape != PlexShape::Concatenated) {
            title += ", " + Decimal(plex.columns.size()) + " columns, stripe " + Decimal(plex.stripeBytes) + " bytes";
        }
        Line(title);
        for (std::size_t c = 0; c < plex.columns.size(); ++c) {
            for (const MemberExtent& extent : plex.columns[c].extents) Line(ExtentText(group, plex, c, extent));
        }
        if (withMap && volume.fault.empty()) {
            Line("      map:");
            ForEachRun(plex, volume.size, [&](const MapRun& run) {
                Line("        " + Decimal(run.volumeOffset) + "+" + Decimal(run.length) + " -> " +
                     ImageName(group, run.extent->image) + " " + Decimal(run.imageOffset) + " (" +
                     run.extent->diskName + ")");
            });
        }
    }
}

void PrintText(const DynamicImageSet& images, bool withMap) {
    for (const MappedGroup& group : images.Groups()) {
        std::size_t given = 0;
        for (const GroupDisk& disk : group.disks) given += disk.image >= 0 ? 1 : 0;
        Line("group " + group.name + " (" + group.guid + "): " + Decimal(given) + " of " + Decimal(group.disks.size()) +
             " disks given");
        for (const GroupDisk& disk : group.disks) {
            if (disk.image < 0) Line("  missing disk " + disk.name);
        }
        for (const MappedVolume& volume : group.volumes) PrintVolumeText(group, volume, withMap);
    }
}

void PrintDmTables(const DynamicImageSet& images) {
    for (const MappedGroup& group : images.Groups()) {
        for (const MappedVolume& volume : group.volumes) {
            std::string whyNot;
            const std::vector<DmDevice> devices = DmTables(group, volume, whyNot);
            const std::string title = "# " + group.name + "-" + volume.name + " (" + VolumeKindName(volume.kind) + ")";
            if (devices.empty()) {
                Line(title + ": cannot be mapped: " + whyNot);
                continue;
            }
            Line(title);
            for (const DmDevice& device : devices) {
                for (const std::string& line : device.lines) Line(device.name + ": " + line);
            }
        }
    }
}

}  // namespace

int VolumesCommand(const std::vector<std::string>& args) {
    VolumeArguments arguments;
    if (!ParseVolumeArguments(args, {"--format", "--sector-size"}, {"--map", "--dm-table"}, kVolumesUsage, arguments)) {
        return 2;
    }
    const bool withMap = arguments.flags.count("--map") != 0;
    const DynamicImageSet images(arguments.images, arguments.sectorSize);
    errno = 0;
    for (const std::string& problem : images.Problems()) Say(problem);
    if (arguments.format == "json") {
        PrintJson(images, withMap);
    } else {
        if (arguments.flags.count("--dm-table") != 0) {
            PrintDmTables(images);
        } else {
            PrintText(images, withMap);
        }
    }
    if (!OutputWritten("strata-ldm")) return 1;
    return images.Problems().empty() ? 0 : 1;
}

}  // namespace strata_tools
