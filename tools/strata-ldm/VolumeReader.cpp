#include "tools/strata-ldm/VolumeReader.h"

#include "collect/TextConversions.h"
#include "tools/strata-ldm/DynamicImageSet.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace strata_tools {

std::size_t Raid5ParityColumn(std::uint64_t row, std::size_t columns) {
    return columns - 1 - static_cast<std::size_t>(row % columns);
}

std::size_t Raid5DataColumn(std::uint64_t row, std::size_t unit, std::size_t columns) {
    return (Raid5ParityColumn(row, columns) + 1 + unit) % columns;
}

MemberFiles::MemberFiles(const std::vector<MemberImage>& images,
                         const boost::function<strata_col::RawDiskAccess&(const std::string&)>& accessFor)
    : images_(images), open_(images.size()) {
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (IsDevicePath(images[i].path)) open_[i].access = &accessFor(images[i].path);
    }
}

MemberFiles::~MemberFiles() {
    for (const Open& open : open_) {
        if (open.file < 0) continue;
        if (open.access != nullptr) {
            open.access->Close(open.file);
        } else {
            close(open.file);
        }
    }
}

bool MemberFiles::Opened(int image) {
    Open& open = open_[static_cast<std::size_t>(image)];
    if (!open.tried) {
        open.tried = true;
        const std::string& path = images_[static_cast<std::size_t>(image)].path;
        open.file = open.access != nullptr ? open.access->Open(path) : ::open(path.c_str(), O_RDONLY);
    }
    if (open.file < 0) error_ = images_[static_cast<std::size_t>(image)].path + ": cannot be opened";
    return open.file >= 0;
}

bool MemberFiles::Fail(int image, std::uint64_t offset) {
    error_ = images_[static_cast<std::size_t>(image)].path + ": cannot be read at byte " +
             strata_col::ToDecimalText(static_cast<unsigned long long>(offset)) +
             (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string(" (it ends there)"));
    return false;
}

bool MemberFiles::ReadRun(int image, std::uint64_t offset, const std::vector<ColumnPiece>& pieces) {
    if (image < 0 || static_cast<std::size_t>(image) >= open_.size()) {
        error_ = "a missing member was read";
        return false;
    }
    if (!Opened(image)) return false;
    Open& open = open_[static_cast<std::size_t>(image)];
    if (open.access != nullptr) {
        if (!open.access->Seek(open.file, offset)) return Fail(image, offset);
        for (const ColumnPiece& piece : pieces) {
            for (std::size_t done = 0; done < piece.length;) {
                const std::uint32_t ask = static_cast<std::uint32_t>(std::min<std::size_t>(piece.length - done, 1u << 30));
                errno = 0;
                const long got = open.access->Read(open.file, piece.out + done, ask);
                if (got <= 0) return Fail(image, offset);
                done += static_cast<std::size_t>(got);
                offset += static_cast<std::uint64_t>(got);
            }
        }
        return true;
    }
    // One preadv per IOV_MAX pieces; a short read goes on where it stopped.
    std::vector<iovec> vectors;
    for (std::size_t first = 0; first < pieces.size(); first += IOV_MAX) {
        const std::size_t count = std::min<std::size_t>(IOV_MAX, pieces.size() - first);
        vectors.resize(count);
        for (std::size_t i = 0; i < count; ++i) vectors[i] = {pieces[first + i].out, pieces[first + i].length};
        iovec* next = vectors.data();
        std::size_t left = count;
        while (left > 0) {
            errno = 0;
            const ssize_t got = preadv(open.file, next, static_cast<int>(std::min<std::size_t>(left, IOV_MAX)),
                                       static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return Fail(image, offset);
            offset += static_cast<std::uint64_t>(got);
            std::size_t rest = static_cast<std::size_t>(got);
            while (left > 0 && rest >= next->iov_len) {
                rest -= next->iov_len;
                ++next;
                --left;
            }
            if (left > 0) {
                next->iov_base = static_cast<unsigned char*>(next->iov_base) + rest;
                next->iov_len -= rest;
            }
        }
    }
    return true;
}

namespace {

// A run of a concatenated plex read at once.
const std::uint64_t kConcatenatedRowBytes = 1 << 20;

void XorInto(unsigned char* __restrict target, const unsigned char* __restrict source, std::size_t length) {
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, target + i, 8);
        std::memcpy(&b, source + i, 8);
        a ^= b;
        std::memcpy(target + i, &a, 8);
    }
    for (; i < length; ++i) target[i] ^= source[i];
}

}  // namespace

VolumeReader::VolumeReader(const Plex& plex, MemberFiles& files)
    : plex_(plex), files_(files), dataColumns_(plex.DataColumns()),
      rowBytes_(plex.shape == PlexShape::Concatenated ? kConcatenatedRowBytes : plex.stripeBytes * dataColumns_),
      pieces_(plex.columns.size()) {
    for (std::size_t c = 0; c < plex.columns.size(); ++c) {
        if (!plex.columns[c].Present()) missingColumn_ = static_cast<int>(c);
    }
}

std::size_t VolumeReader::BatchBytes(std::uint64_t bytes) const {
    return static_cast<std::size_t>(std::max<std::uint64_t>(1, bytes / rowBytes_) * rowBytes_);
}

std::size_t VolumeReader::DataColumn(std::uint64_t row, std::size_t unit) const {
    return plex_.shape == PlexShape::Raid5 ? Raid5DataColumn(row, unit, plex_.columns.size()) : unit;
}

bool VolumeReader::ReadPieces(std::size_t column, const std::vector<ColumnPiece>& pieces) {
    const std::vector<MemberExtent>& extents = plex_.columns[column].extents;
    std::size_t e = 0;
    int runImage = -1;
    std::uint64_t runOffset = 0;
    std::uint64_t runNext = 0;
    runPieces_.clear();
    const auto flush = [&]() {
        const bool ok = runPieces_.empty() || files_.ReadRun(runImage, runOffset, runPieces_);
        runPieces_.clear();
        return ok;
    };
    for (const ColumnPiece& piece : pieces) {
        std::uint64_t offset = piece.columnOffset;
        unsigned char* out = piece.out;
        std::size_t length = piece.length;
        while (length > 0) {
            while (e < extents.size() && extents[e].columnOffset + extents[e].length <= offset) ++e;
            if (e == extents.size()) {
                std::memset(out, 0, length);  // beyond what the column holds
                break;
            }
            const MemberExtent& extent = extents[e];
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, extent.columnOffset + extent.length - offset));
            const std::uint64_t at = extent.imageOffset + (offset - extent.columnOffset);
            if (runPieces_.empty() || runImage != extent.image || runNext != at) {
                if (!flush()) return false;
                runImage = extent.image;
                runOffset = at;
            }
            runPieces_.push_back({offset, out, take});
            runNext = at + take;
            offset += take;
            out += take;
            length -= take;
        }
    }
    return flush();
}

bool VolumeReader::ReadColumn(std::size_t column, std::uint64_t offset, unsigned char* out, std::size_t length) {
    onePiece_.assign(1, ColumnPiece{offset, out, length});
    return ReadPieces(column, onePiece_);
}

bool VolumeReader::ReadUnits(std::uint64_t offset, unsigned char* out, std::size_t length) {
    struct LostUnit {
        std::uint64_t row;
        std::size_t unit;
        std::size_t within;
        std::size_t length;
        unsigned char* out;
        unsigned char* parity;
    };
    std::vector<LostUnit> lost;
    const std::uint64_t stripe = plex_.stripeBytes;
    const std::size_t columns = plex_.columns.size();
    for (std::vector<ColumnPiece>& pieces : pieces_) pieces.clear();
    if (missingColumn_ >= 0) parity_.resize(static_cast<std::size_t>((length / rowBytes_ + 1) * stripe));
    unsigned char* parity = parity_.data();
    const std::uint64_t end = offset + length;
    for (std::uint64_t at = offset; at < end;) {
        const std::uint64_t unit = at / stripe;
        const std::uint64_t row = unit / dataColumns_;
        const std::size_t place = static_cast<std::size_t>(unit % dataColumns_);
        const std::size_t within = static_cast<std::size_t>(at % stripe);
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(stripe - within, end - at));
        const std::size_t column = DataColumn(row, place);
        unsigned char* target = out + (at - offset);
        if (static_cast<int>(column) == missingColumn_) {
            lost.push_back({row, place, within, take, target, parity});
            pieces_[Raid5ParityColumn(row, columns)].push_back({row * stripe + within, parity, take});
            parity += take;
        } else {
            pieces_[column].push_back({row * stripe + within, target, take});
        }
        at += take;
    }
    for (std::size_t c = 0; c < columns; ++c) {
        if (!pieces_[c].empty() && !ReadPieces(c, pieces_[c])) return false;
    }
    // A lost unit is its row's parity with the row's other units taken out.
    for (const LostUnit& unit : lost) {
        std::memcpy(unit.out, unit.parity, unit.length);
        unsigned char* rowStart = unit.out - unit.unit * stripe - unit.within;
        for (std::size_t other = 0; other < dataColumns_; ++other) {
            if (other != unit.unit) XorInto(unit.out, rowStart + other * stripe + unit.within, unit.length);
        }
    }
    return true;
}

bool VolumeReader::Read(std::uint64_t offset, unsigned char* out, std::size_t length) {
    if (plex_.shape == PlexShape::Concatenated) return ReadColumn(0, offset, out, length);
    if (missingColumn_ < 0) return ReadUnits(offset, out, length);
    // Lost units are rebuilt from whole rows: rows the read covers are read
    // in place, a row it covers in part through a row of its own.
    while (length > 0) {
        const std::uint64_t within = offset % rowBytes_;
        if (within == 0 && length >= rowBytes_) {
            const std::size_t whole = static_cast<std::size_t>(length / rowBytes_ * rowBytes_);
            if (!ReadUnits(offset, out, whole)) return false;
            offset += whole;
            out += whole;
            length -= whole;
            continue;
        }
        row_.resize(static_cast<std::size_t>(rowBytes_));
        if (!ReadUnits(offset - within, row_.data(), row_.size())) return false;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(length, rowBytes_ - within));
        std::memcpy(out, row_.data() + within, take);
        offset += take;
        out += take;
        length -= take;
    }
    return true;
}

}  // namespace strata_tools
