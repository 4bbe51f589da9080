// Where the bytes of each dynamic volume lie: the volume's plexes, their
// columns, and each column's extents on the member images, in bytes. Built
// from one group's decoded database and the images that were given; a member
// whose image is absent stays in the map, marked missing.
#ifndef STRATA_TOOLS_VOLUMEMAP_H
#define STRATA_TOOLS_VOLUMEMAP_H

#include "ldm/LDMDataBase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

enum class VolumeKind { Simple, Spanned, Striped, Mirror, Raid5 };
const char* VolumeKindName(VolumeKind kind);

// How a plex lays its columns out.
enum class PlexShape { Concatenated, Striped, Raid5 };

// A member image of the group as given on the command line.
struct MemberImage {
    std::string path;
    std::string diskGuid;         // from its private header
    std::uint32_t sectorSize = 512;
    std::uint64_t dataStart = 0;  // bytes: the data region, where partition starts count from
    std::uint64_t length = 0;     // bytes
};

// One partition record: a run of a column, placed on its disk.
struct MemberExtent {
    std::string partitionName;
    std::string diskName;
    int image = -1;                 // index into the group's images; -1: missing
    std::string whyMissing;         // when image is -1
    std::uint64_t imageOffset = 0;  // bytes from the image's start
    std::uint64_t columnOffset = 0; // bytes from the column's start
    std::uint64_t length = 0;       // bytes
};

// The extents of one column, in column order, end to end from offset 0.
struct Column {
    std::vector<MemberExtent> extents;
    bool Present() const;
    std::uint64_t Length() const;  // bytes it covers
};

struct Plex {
    std::string name;
    PlexShape shape = PlexShape::Concatenated;
    std::uint64_t stripeBytes = 0;  // striped and RAID-5
    std::vector<Column> columns;    // concatenated: one column

    // Columns of data in a row: all of them, or one less for RAID-5 parity.
    std::size_t DataColumns() const;
    // Column bytes each column must hold for a volume of `size` bytes.
    std::uint64_t ColumnBytesFor(std::uint64_t size) const;
    std::size_t MissingColumns() const;
    // True when every column is present.
    bool Complete() const { return MissingColumns() == 0; }
    // True when its bytes can be had: complete, or RAID-5 with one column lost.
    bool Readable() const;
};

// How much of a volume the given images hold.
enum class Readability { Full, Degraded, Unreadable };
const char* ReadabilityName(Readability readability);

struct MappedVolume {
    std::string objectId;
    std::string name;
    std::string guid;      // text form, lower case
    std::string hint;      // drive-letter hint; empty when none
    std::string state;     // the volume record's state text
    VolumeKind kind = VolumeKind::Simple;
    std::uint64_t size = 0;  // bytes
    std::vector<Plex> plexes;
    // Why the volume cannot be mapped at all (a record missing, a column
    // that does not cover the volume); empty when its map is whole.
    std::string fault;

    Readability Reading() const;
    // The plex read for the volume: `wanted` when it is readable, else the
    // first complete plex, else the first readable one; -1 when none.
    int ChoosePlex(int wanted = -1) const;
    // The disks of missing members, each named once, in map order.
    std::vector<std::string> MissingDisks() const;
    // How a readable volume is read: "all members", or which redundancy
    // stands in for what is missing.
    std::string ReadingText() const;
};

// A disk record of the group and the image given for it (-1: none).
struct GroupDisk {
    std::string name;
    int image = -1;
};

struct MappedGroup {
    std::string name;
    std::string guid;
    std::vector<MemberImage> images;
    std::vector<GroupDisk> disks;  // in disk record order
    std::vector<MappedVolume> volumes;  // in volume ObjectID order
};

// Maps every volume of the database. `images` are the group's members that
// were given (the database's disk records say which disks they are).
std::vector<MappedVolume> MapVolumes(const strata_col::LDMDataBase& database,
                                     const std::vector<MemberImage>& images);
// The disk records of the database, each with the image given for it.
std::vector<GroupDisk> MapDisks(const strata_col::LDMDataBase& database, const std::vector<MemberImage>& images);

// The GUID text 8-4-4-4-12 of 32 hex digits in stored order; the digits as
// they are when they are not 32.
std::string GuidTextOfDigits(const std::string& digits);

}  // namespace strata_tools

#endif
