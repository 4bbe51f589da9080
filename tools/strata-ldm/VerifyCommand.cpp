#include "tools/strata-ldm/VolumeCommands.h"

#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/ExtentMap.h"
#include "tools/strata-ldm/OutputCheck.h"
#include "tools/strata-ldm/VolumeArguments.h"
#include "tools/strata-ldm/VolumeReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace strata_tools {

namespace {

using nlohmann::json;

const char kVerifyUsage[] = "usage: strata-ldm verify --volume NAME [--group NAME] [--sector-size N] IMAGE...\n";

// Volumes are read in batches of about this many bytes; mirror plexes are
// compared sector by sector.
const std::uint64_t kMirrorBatch = 4 << 20;
const std::uint64_t kCompareUnit = 512;

// Consecutive findings become one range.
struct Range {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
};

void Extend(std::vector<Range>& ranges, std::uint64_t at, std::uint64_t count) {
    if (!ranges.empty() && ranges.back().first + ranges.back().count == at) {
        ranges.back().count += count;
    } else {
        ranges.push_back({at, count});
    }
}

class Verifier {
public:
    Verifier(const MappedGroup& group, const MappedVolume& volume, MemberFiles& files)
        : group_(group), volume_(volume), files_(files) {}

    // Reads every row; false when a member could not be read.
    bool Run(json& report) {
        report["checked"] = "data";
        if (volume_.kind == VolumeKind::Mirror) return Mirror(report);
        const Plex& plex = volume_.plexes[0];
        if (plex.shape == PlexShape::Raid5) return Parity(plex, report);
        // No redundancy: every byte is read once, so that a member that
        // cannot be read is found.
        VolumeReader reader(plex, files_);
        const std::size_t batch = reader.BatchBytes(kMirrorBatch);
        std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(batch, volume_.size)));
        for (std::uint64_t offset = 0; offset < volume_.size; offset += batch) {
            if (!reader.Read(offset, buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(batch, volume_.size - offset)))) {
                error_ = reader.Error();
                return false;
            }
        }
        return true;
    }
    const std::string& Error() const { return error_; }
    // Parity row ranges and mirror ranges that disagree.
    std::size_t Findings() const { return findings_; }

private:
    bool Parity(const Plex& plex, json& report) {
        report["checked"] = "parity";
        const std::size_t columns = plex.columns.size();
        const std::size_t stripe = static_cast<std::size_t>(plex.stripeBytes);
        const std::uint64_t columnBytes = plex.ColumnBytesFor(volume_.size);
        const std::uint64_t rows = (columnBytes + stripe - 1) / stripe;
        VolumeReader reader(plex, files_);
        std::vector<unsigned char> unit(stripe);
        std::vector<unsigned char> sum(stripe);
        std::vector<Range> bad;
        for (std::uint64_t row = 0; row < rows; ++row) {
            std::fill(sum.begin(), sum.end(), 0);
            for (std::size_t c = 0; c < columns; ++c) {
                if (!reader.ReadColumn(c, row * stripe, unit.data(), stripe)) {
                    error_ = reader.Error();
                    return false;
                }
                for (std::size_t i = 0; i < stripe; ++i) sum[i] ^= unit[i];
            }
            if (std::any_of(sum.begin(), sum.end(), [](unsigned char b) { return b != 0; })) Extend(bad, row, 1);
        }
        json mismatches = json::array();
        const std::uint64_t rowData = stripe * (columns - 1);
        for (const Range& range : bad) {
            json members = json::array();
            for (const Column& column : plex.columns) {
                ForEachColumnRun(column, range.first * stripe, range.count * stripe, [&](const MapRun& run) {
                    members.push_back({{"disk", run.extent->diskName},
                                       {"image", group_.images[static_cast<std::size_t>(run.extent->image)].path},
                                       {"imageOffset", run.imageOffset},
                                       {"length", run.length}});
                });
            }
            mismatches.push_back({{"firstRow", range.first},
                                  {"rows", range.count},
                                  {"volumeOffset", range.first * rowData},
                                  {"length", std::min(range.count * rowData, volume_.size - range.first * rowData)},
                                  {"members", members},
                                  {"windows", "regenerates the parity of these rows"}});
        }
        report["parityMismatches"] = mismatches;
        findings_ = bad.size();
        return true;
    }

    bool Mirror(json& report) {
        report["checked"] = "plexes";
        std::vector<std::size_t> complete;
        json skipped = json::array();
        for (std::size_t p = 0; p < volume_.plexes.size(); ++p) {
            if (volume_.plexes[p].Complete()) {
                complete.push_back(p);
            } else {
                skipped.push_back(volume_.plexes[p].name);
            }
        }
        report["plexesLeftOut"] = skipped;
        json mismatches = json::array();
        if (complete.size() < 2) {
            report["mirrorMismatches"] = mismatches;
            report["complete"] = false;
            error_ = "fewer than two plexes of " + volume_.name + " are there to compare";
            return false;
        }
        VolumeReader firstReader(volume_.plexes[complete[0]], files_);
        const std::size_t batch =
            static_cast<std::size_t>(std::min<std::uint64_t>(firstReader.BatchBytes(kMirrorBatch), volume_.size));
        std::vector<unsigned char> first(batch);
        std::vector<unsigned char> other(batch);
        for (std::size_t i = 1; i < complete.size(); ++i) {
            VolumeReader otherReader(volume_.plexes[complete[i]], files_);
            std::vector<Range> differ;
            for (std::uint64_t offset = 0; offset < volume_.size; offset += batch) {
                const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(batch, volume_.size - offset));
                if (!firstReader.Read(offset, first.data(), length) || !otherReader.Read(offset, other.data(), length)) {
                    error_ = firstReader.Error().empty() ? otherReader.Error() : firstReader.Error();
                    return false;
                }
                for (std::size_t at = 0; at < length; at += kCompareUnit) {
                    const std::size_t n = std::min<std::size_t>(kCompareUnit, length - at);
                    if (std::memcmp(first.data() + at, other.data() + at, n) != 0) Extend(differ, offset + at, n);
                }
            }
            for (const Range& range : differ) {
                mismatches.push_back({{"volumeOffset", range.first},
                                      {"length", range.count},
                                      {"plexes", {volume_.plexes[complete[0]].name, volume_.plexes[complete[i]].name}},
                                      {"windows", "resynchronizes these bytes from one plex"}});
            }
            findings_ += differ.size();
        }
        report["mirrorMismatches"] = mismatches;
        return true;
    }

    const MappedGroup& group_;
    const MappedVolume& volume_;
    MemberFiles& files_;
    std::string error_;
    std::size_t findings_ = 0;
};

}  // namespace

int VerifyCommand(const std::vector<std::string>& args) {
    VolumeArguments arguments;
    if (!ParseVolumeArguments(args, {"--volume", "--group", "--sector-size"}, {}, kVerifyUsage, arguments)) return 2;
    if (arguments.volume.empty()) {
        Say("verify needs --volume");
        return 2;
    }
    DynamicImageSet images(arguments.images, arguments.sectorSize);
    const VolumeChoice choice = SayProblemsAndChoose(images, arguments.volume, arguments.group);
    if (choice.volume == nullptr) return 1;
    const MappedVolume& volume = *choice.volume;
    json report = {{"group", choice.group->name},
                   {"volume", volume.name},
                   {"layout", VolumeKindName(volume.kind)},
                   {"size", volume.size},
                   {"complete", true}};
    bool verified = false;
    std::size_t findings = 0;
    const std::vector<std::string> missing = volume.MissingDisks();
    if (!volume.fault.empty()) {
        Say(volume.name + " cannot be verified: " + volume.fault);
    } else if (volume.kind != VolumeKind::Mirror && !missing.empty()) {
        Say(volume.name + " cannot be verified: " + volume.ReadingText() + " (every member is read)");
    } else {
        MemberFiles files(choice.group->images,
                          [&images](const std::string& path) -> strata_col::RawDiskAccess& { return images.AccessFor(path); });
        Verifier verifier(*choice.group, volume, files);
        verified = verifier.Run(report);
        findings = verifier.Findings();
        if (!verified) Say(volume.name + " cannot be verified: " + verifier.Error());
    }
    if (!verified) report["complete"] = false;
    errno = 0;
    std::cout << report.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
    if (!OutputWritten("strata-ldm")) return 1;
    return verified && findings == 0 ? 0 : 1;
}

}  // namespace strata_tools
