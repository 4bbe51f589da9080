#include "tools/strata-ldm/VolumeCommands.h"

#include "platform/VisibleText.h"
#include "tools/strata-ldm/DiskCheck.h"
#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/ImageFileAccess.h"
#include "tools/strata-ldm/OutputCheck.h"
#include "tools/strata-ldm/VolumeArguments.h"


#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <map>

namespace strata_tools {

namespace {

using nlohmann::json;

const char kCheckUsage[] = "usage: strata-ldm check [--format json] [--sector-size N] IMAGE...\n";

struct VolumeOutcome {
    std::string name;
    std::string outcome;  // "healthy", "degraded" or "failed"
    std::vector<std::string> reasons;
};

struct GroupOutcome {
    std::string name;
    std::vector<std::string> missingDisks;
    std::vector<VolumeOutcome> volumes;
};

// A volume's outcome: what the images given hold of it, and whether its
// records or a member's lagging database make it stale.
VolumeOutcome Judge(const MappedVolume& volume, const std::map<std::string, std::string>& laggingImages,
                    const MappedGroup& group) {
    VolumeOutcome outcome;
    outcome.name = volume.name;
    switch (volume.Reading()) {
    case Readability::Full: outcome.outcome = "healthy"; break;
    case Readability::Degraded: outcome.outcome = "degraded"; break;
    case Readability::Unreadable: outcome.outcome = "failed"; break;
    }
    if (volume.Reading() != Readability::Full) outcome.reasons.push_back(volume.ReadingText());
    if (outcome.outcome == "failed") return outcome;
    const bool redundant = volume.kind == VolumeKind::Mirror || volume.kind == VolumeKind::Raid5;
    if (volume.state != "ACTIVE") {
        outcome.reasons.push_back("its state in the database is " + volume.state);
        if (outcome.outcome == "healthy") outcome.outcome = "degraded";
    }
    if (!redundant) return outcome;
    for (const Plex& plex : volume.plexes) {
        for (const Column& column : plex.columns) {
            for (const MemberExtent& extent : column.extents) {
                if (extent.image < 0) continue;
                const auto lag = laggingImages.find(group.images[static_cast<std::size_t>(extent.image)].path);
                if (lag == laggingImages.end()) continue;
                outcome.reasons.push_back(extent.diskName + " may be stale: " + lag->second);
                outcome.outcome = "degraded";
            }
        }
    }
    return outcome;
}

json FindingsJson(const DiskCheck& disk) {
    json findings = json::array();
    for (const Finding& finding : disk.findings) findings.push_back({{"severity", finding.severity}, {"text", finding.text}});
    return findings;
}

void PrintText(const std::vector<DiskCheck>& disks, const std::vector<GroupOutcome>& groups) {
    const auto line = [](const std::string& text) { std::cout << strata_text::VisibleText(text) << "\n"; };
    for (const DiskCheck& disk : disks) {
        const std::string title = disk.image + (disk.name.empty() ? "" : " (" + disk.name + ")");
        if (disk.findings.empty()) {
            line(title + ": no findings");
            continue;
        }
        line(title + ":");
        for (const Finding& finding : disk.findings) line("  " + finding.severity + ": " + finding.text);
    }
    for (const GroupOutcome& group : groups) {
        std::string missing;
        for (const std::string& disk : group.missingDisks) missing += (missing.empty() ? "" : ", ") + disk;
        line("group " + group.name + (missing.empty() ? ": every disk given" : ": missing " + missing));
        std::size_t width = 0;
        for (const VolumeOutcome& volume : group.volumes) width = std::max(width, volume.name.size());
        for (const VolumeOutcome& volume : group.volumes) {
            std::string text = "  " + volume.name + std::string(width - volume.name.size() + 2, ' ') + volume.outcome;
            for (std::size_t i = 0; i < volume.reasons.size(); ++i) text += (i == 0 ? "  " : "; ") + volume.reasons[i];
            line(text);
        }
    }
}

}  // namespace

int CheckCommand(const std::vector<std::string>& args) {
    VolumeArguments arguments;
    if (!ParseVolumeArguments(args, {"--format", "--sector-size"}, {}, kCheckUsage, arguments)) return 2;
    DynamicImageSet images(arguments.images, arguments.sectorSize);
    std::vector<DiskCheck> disks;
    for (const std::string& path : arguments.images) {
        const std::string problem = IsDevicePath(path) ? "" : ImageFileProblem(path);
        if (!problem.empty()) {
            DiskCheck unusable;
            unusable.image = path;
            unusable.Fail(problem);
            disks.push_back(unusable);
            continue;
        }
        disks.push_back(CheckDisk(images.AccessFor(path), path, arguments.sectorSize));
    }

    // Members whose committed sequence lags the newest of their group.
    std::map<std::string, DiskCheck*> diskOfImage;
    for (DiskCheck& disk : disks) diskOfImage[disk.image] = &disk;
    std::vector<GroupOutcome> groups;
    bool failed = std::any_of(disks.begin(), disks.end(), [](const DiskCheck& disk) { return !disk.usable; });
    bool findings = failed;
    for (const MappedGroup& group : images.Groups()) {
        const DiskCheck* newest = nullptr;
        for (const MemberImage& image : group.images) {
            const DiskCheck* disk = diskOfImage[image.path];
            if (disk != nullptr && disk->hasVmdb && (newest == nullptr || disk->committedSequence > newest->committedSequence)) {
                newest = disk;
            }
        }
        std::map<std::string, std::string> lagging;
        for (const MemberImage& image : group.images) {
            DiskCheck* disk = diskOfImage[image.path];
            if (disk == nullptr || newest == nullptr || !disk->hasVmdb || disk->committedSequence >= newest->committedSequence) {
                continue;
            }
            const std::string lag = "its database is at committed sequence " + Decimal(disk->committedSequence) +
                                    ", behind " + Decimal(newest->committedSequence) + " on " + newest->image;
            disk->Warn(lag + ": it missed changes the group made since");
            lagging[image.path] = lag;
        }
        GroupOutcome outcome;
        outcome.name = group.name;
        for (const GroupDisk& disk : group.disks) {
            if (disk.image < 0) outcome.missingDisks.push_back(disk.name);
        }
        findings = findings || !outcome.missingDisks.empty();
        for (const MappedVolume& volume : group.volumes) {
            outcome.volumes.push_back(Judge(volume, lagging, group));
            failed = failed || outcome.volumes.back().outcome == "failed";
            findings = findings || outcome.volumes.back().outcome != "healthy";
        }
        groups.push_back(outcome);
    }
    for (const DiskCheck& disk : disks) findings = findings || !disk.findings.empty();

    errno = 0;
    if (arguments.format == "json") {
        json report = {{"disks", json::array()}, {"groups", json::array()}};
        for (const DiskCheck& disk : disks) {
            report["disks"].push_back({{"image", disk.image}, {"name", disk.name}, {"findings", FindingsJson(disk)}});
        }
        for (const GroupOutcome& group : groups) {
            json volumes = json::array();
            for (const VolumeOutcome& volume : group.volumes) {
                volumes.push_back({{"name", volume.name}, {"outcome", volume.outcome}, {"reasons", volume.reasons}});
            }
            report["groups"].push_back({{"name", group.name}, {"missingDisks", group.missingDisks}, {"volumes", volumes}});
        }
        std::cout << report.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
    } else {
        PrintText(disks, groups);
    }
    if (!OutputWritten("strata-ldm")) return 2;
    return failed ? 2 : findings ? 1 : 0;
}

}  // namespace strata_tools
