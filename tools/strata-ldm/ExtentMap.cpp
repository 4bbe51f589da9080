#include "tools/strata-ldm/ExtentMap.h"

#include "tools/strata-ldm/VolumeReader.h"

#include <algorithm>

namespace strata_tools {

namespace {

// Joins runs that continue each other before handing them on.
class RunJoiner {
public:
    explicit RunJoiner(const boost::function<void(const MapRun&)>& run) : run_(run) {}
    ~RunJoiner() { Flush(); }

    void Add(const MapRun& next) {
        if (pending_.length != 0 && pending_.extent == next.extent &&
            pending_.volumeOffset + pending_.length == next.volumeOffset &&
            pending_.imageOffset + pending_.length == next.imageOffset) {
            pending_.length += next.length;
            return;
        }
        Flush();
        pending_ = next;
    }

private:
    void Flush() {
        if (pending_.length != 0) run_(pending_);
        pending_ = MapRun();
    }

    const boost::function<void(const MapRun&)>& run_;
    MapRun pending_;
};

// The runs of a column's bytes [offset, offset + length), placed at
// `volumeOffset` of the volume.
void ColumnRuns(const Column& column, std::uint64_t offset, std::uint64_t length, std::uint64_t volumeOffset,
                RunJoiner& runs) {
    for (const MemberExtent& extent : column.extents) {
        if (length == 0) return;
        const std::uint64_t end = extent.columnOffset + extent.length;
        if (offset >= end) continue;
        MapRun run;
        run.volumeOffset = volumeOffset;
        run.length = std::min(length, end - offset);
        run.extent = &extent;
        run.imageOffset = extent.imageOffset + (offset - extent.columnOffset);
        runs.Add(run);
        offset += run.length;
        volumeOffset += run.length;
        length -= run.length;
    }
}

}  // namespace

void ForEachColumnRun(const Column& column, std::uint64_t offset, std::uint64_t length,
                      const boost::function<void(const MapRun&)>& run) {
    RunJoiner runs(run);
    ColumnRuns(column, offset, length, offset, runs);
}

void ForEachRun(const Plex& plex, std::uint64_t size, const boost::function<void(const MapRun&)>& run) {
    RunJoiner runs(run);
    if (plex.columns.empty()) return;
    if (plex.shape == PlexShape::Concatenated || plex.stripeBytes == 0) {
        ColumnRuns(plex.columns[0], 0, size, 0, runs);
        return;
    }
    const std::uint64_t stripe = plex.stripeBytes;
    const std::size_t data = plex.DataColumns();
    for (std::uint64_t offset = 0; offset < size; offset += stripe) {
        const std::uint64_t unit = offset / stripe;
        const std::uint64_t row = unit / data;
        const std::size_t place = static_cast<std::size_t>(unit % data);
        const std::size_t column =
            plex.shape == PlexShape::Raid5 ? Raid5DataColumn(row, place, plex.columns.size()) : place;
        ColumnRuns(plex.columns[column], row * stripe, std::min(stripe, size - offset), offset, runs);
    }
}

}  // namespace strata_tools
