// The command line the volume commands share: images, the sector size they
// are read with, and the choice of a volume, a group and a plex.
#ifndef STRATA_TOOLS_VOLUMEARGUMENTS_H
#define STRATA_TOOLS_VOLUMEARGUMENTS_H

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace strata_tools {

struct VolumeArguments {
    std::vector<std::string> images;
    std::uint32_t sectorSize = 512;
    std::string volume;
    std::string group;
    std::string out;
    std::string format = "text";
    int plex = 0;  // 1-based; 0: the tool chooses
    std::set<std::string> flags;  // options without a value that were given
};

// Parses `args`: options with a value among `valued` (--volume, --group,
// --out, --format, --plex, --sector-size), flags among `flags`, the rest
// images. False after a message on standard error naming `usage`.
bool ParseVolumeArguments(const std::vector<std::string>& args, const std::set<std::string>& valued,
                          const std::set<std::string>& flags, const char* usage, VolumeArguments& parsed);

// Writes "strata-ldm: TEXT" on standard error, control bytes escaped.
void Say(const std::string& text);

// A count or offset in decimal digits.
std::string Decimal(std::uint64_t value);

}  // namespace strata_tools

#endif
