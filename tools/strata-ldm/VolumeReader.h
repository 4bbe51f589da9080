// Reads a mapped volume's bytes from its member images: one plex, its
// columns in the order of its layout. Each column's share of a read is taken
// in as few system calls as its extents allow, straight into the caller's
// buffer; a RAID-5 plex with one column missing rebuilds each lost unit from
// its row's parity and other units, so that every member byte is read once.
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

// A piece of a column to read into memory.
struct ColumnPiece {
    std::uint64_t columnOffset;
    unsigned char* out;
    std::size_t length;
};

// The open member images of one group. Image files are read with pread;
// device paths through the platform's raw access. Nothing is ever written
// to them.
class MemberFiles {
public:
    // `accessFor` gives the access that reads a device path.
    MemberFiles(const std::vector<MemberImage>& images,
                const boost::function<strata_col::RawDiskAccess&(const std::string&)>& accessFor);
    ~MemberFiles();
    MemberFiles(const MemberFiles&) = delete;
    MemberFiles& operator=(const MemberFiles&) = delete;

    // Fills the pieces, in order, from the image's bytes that start at
    // `offset` and run on end to end; false with Error() set when they
    // cannot all be read.
    bool ReadRun(int image, std::uint64_t offset, const std::vector<ColumnPiece>& pieces);
    const std::string& Error() const { return error_; }

private:
    struct Open {
        strata_col::RawDiskAccess* access = nullptr;  // device paths
        int file = -1;
        bool tried = false;
    };
    bool Opened(int image);
    bool Fail(int image, std::uint64_t offset);

    const std::vector<MemberImage>& images_;
    std::vector<Open> open_;
    std::string error_;
};

class VolumeReader {
public:
    // Reads the plex; it must be readable (Plex::Readable).
    VolumeReader(const Plex& plex, MemberFiles& files);

    // Bytes of the volume in one row of the plex's layout (a stripe of each
    // data column; for a concatenated plex a fixed run).
    std::uint64_t RowBytes() const { return rowBytes_; }
    // Whole rows, about `bytes` of them (at least one row): reads of this
    // size from offset 0 on take every member byte once.
    std::size_t BatchBytes(std::uint64_t bytes) const;

    // Reads the volume's bytes [offset, offset + length); false with Error()
    // set when a member cannot be read.
    bool Read(std::uint64_t offset, unsigned char* out, std::size_t length);
    // The bytes of one column; beyond what the column holds they read as
    // zeros.
    bool ReadColumn(std::size_t column, std::uint64_t offset, unsigned char* out, std::size_t length);
    const std::string& Error() const { return files_.Error(); }

private:
    // Reads `pieces` of the column (in column order), through its extents.
    bool ReadPieces(std::size_t column, const std::vector<ColumnPiece>& pieces);
    // Reads the data units of [offset, offset + length); with a column
    // missing the range must be whole rows, and lost units are rebuilt.
    bool ReadUnits(std::uint64_t offset, unsigned char* out, std::size_t length);
    std::size_t DataColumn(std::uint64_t row, std::size_t unit) const;

    const Plex& plex_;
    MemberFiles& files_;
    std::size_t dataColumns_;
    std::uint64_t rowBytes_;
    int missingColumn_ = -1;
    // Reused from read to read: each column's pieces, the pieces of one run,
    // a single column read, the parity of rows being rebuilt, and one row for
    // reads that do not cover whole rows.
    std::vector<std::vector<ColumnPiece> > pieces_;
    std::vector<ColumnPiece> runPieces_;
    std::vector<ColumnPiece> onePiece_;
    std::vector<unsigned char> parity_;
    std::vector<unsigned char> row_;
};

}  // namespace strata_tools

#endif
