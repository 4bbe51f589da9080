// Reads a mapped volume's bytes from its member images: one plex, its
// columns in the order of its layout. A RAID-5 plex with one column missing
// is read row by row, the missing unit of each row rebuilt from the others
// and the row's parity, so that every member byte is read once.
#ifndef STRATA_TOOLS_VOLUMEREADER_H
#define STRATA_TOOLS_VOLUMEREADER_H

#include "ldm/RawDiskAccess.h"
#include "tools/strata-ldm/VolumeMap.h"

#include <boost/function.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

// Where RAID-5 keeps a row's parity and data: Windows rotates the parity
// from the last column backwards, one column per row, and lays the row's
// data out from the column after the parity, wrapping around
// (left-symmetric).
std::size_t Raid5ParityColumn(std::uint64_t row, std::size_t columns);
std::size_t Raid5DataColumn(std::uint64_t row, std::size_t unit, std::size_t columns);

// The open member images of one group. Reads fail with a message naming the
// image; nothing is ever written to them.
class MemberFiles {
public:
    // `accessFor` gives the access that reads an image's path.
    MemberFiles(const std::vector<MemberImage>& images,
                const boost::function<strata_col::RawDiskAccess&(const std::string&)>& accessFor);
    ~MemberFiles();
    MemberFiles(const MemberFiles&) = delete;
    MemberFiles& operator=(const MemberFiles&) = delete;

    // Reads exactly `length` bytes at `offset` of the image; false with
    // Error() set when it cannot.
    bool ReadAt(int image, std::uint64_t offset, unsigned char* buffer, std::size_t length);
    const std::string& Error() const { return error_; }

private:
    struct Open {
        strata_col::RawDiskAccess* access = nullptr;
        int file = -1;
    };
    const std::vector<MemberImage>& images_;
    std::vector<Open> open_;
    std::string error_;
};

class VolumeReader {
public:
    // Reads the plex; it must be readable (Plex::Readable).
    VolumeReader(const Plex& plex, MemberFiles& files);

    // Bytes of the volume in one row of the plex's layout (a stripe of each
    // data column; for a concatenated plex a fixed run): reads aligned to it
    // read every member byte once.
    std::uint64_t RowBytes() const { return rowBytes_; }

    // Reads the volume's bytes [offset, offset + length); false with Error()
    // set when a member cannot be read.
    bool Read(std::uint64_t offset, unsigned char* out, std::size_t length);
    // The bytes of one column; beyond what the column holds they read as
    // zeros.
    bool ReadColumn(std::size_t column, std::uint64_t offset, unsigned char* out, std::size_t length);
    const std::string& Error() const { return files_.Error(); }

private:
    bool ReadStriped(std::uint64_t offset, unsigned char* out, std::size_t length);
    bool ReadRaid5Row(std::uint64_t row, std::uint64_t within, unsigned char* out, std::size_t length);
    // Column of the data unit `unit` of `row`.
    std::size_t DataColumn(std::uint64_t row, std::size_t unit) const;

    const Plex& plex_;
    MemberFiles& files_;
    std::size_t dataColumns_;
    std::uint64_t rowBytes_;
    int missingColumn_ = -1;
    std::vector<unsigned char> rowBuffer_;  // a degraded RAID-5 row
};

}  // namespace strata_tools

#endif
