// A plex's bytes as runs in volume order: each run a stretch of the volume
// that lies end to end on one member (or on a missing member, which RAID-5
// rebuilds from parity). Runs are produced one at a time, so a striped
// volume of millions of stripes is never held as a whole.
#ifndef STRATA_TOOLS_EXTENTMAP_H
#define STRATA_TOOLS_EXTENTMAP_H

#include "tools/strata-ldm/VolumeMap.h"

#include <boost/function.hpp>

#include <cstdint>

namespace strata_tools {

struct MapRun {
    std::uint64_t volumeOffset = 0;
    std::uint64_t length = 0;
    const MemberExtent* extent = nullptr;  // its image is -1 when missing
    std::uint64_t imageOffset = 0;         // where the run starts on it
};

// Calls `run` for every run of the first `size` bytes of the plex, joining
// runs that continue each other on one member.
void ForEachRun(const Plex& plex, std::uint64_t size, const boost::function<void(const MapRun&)>& run);

// The same for a column's bytes [offset, offset + length), the runs placed
// at their column offsets.
void ForEachColumnRun(const Column& column, std::uint64_t offset, std::uint64_t length,
                      const boost::function<void(const MapRun&)>& run);

}  // namespace strata_tools

#endif
