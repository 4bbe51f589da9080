#include "tools/strata-ldm/VolumeReader.h"

#include "collect/TextConversions.h"

#include <algorithm>
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
    for (std::size_t i = 0; i < images.size(); ++i) open_[i].access = &accessFor(images[i].path);
}

MemberFiles::~MemberFiles() {
    for (const Open& open : open_) {
        if (open.file >= 0) open.access->Close(open.file);
    }
}

bool MemberFiles::ReadAt(int image, std::uint64_t offset, unsigned char* buffer, std::size_t length) {
    if (image < 0 || static_cast<std::size_t>(image) >= open_.size()) {
        error_ = "a member that is missing was read";
        return false;
    }
    Open& open = open_[static_cast<std::size_t>(image)];
    const std::string& path = images_[static_cast<std::size_t>(image)].path;
    if (open.file < 0) open.file = open.access->Open(path);
    if (open.file < 0) {
        error_ = path + ": cannot be opened";
        return false;
    }
    if (!open.access->Seek(open.file, offset)) {
        error_ = path + ": cannot seek to byte " + strata_col::ToDecimalText(static_cast<unsigned long long>(offset));
        return false;
    }
    while (length > 0) {
        const std::uint32_t ask = static_cast<std::uint32_t>(std::min<std::size_t>(length, 1u << 30));
        const long got = open.access->Read(open.file, buffer, ask);
        if (got <= 0) {
            error_ = path + ": cannot be read at byte " +
                     strata_col::ToDecimalText(static_cast<unsigned long long>(offset));
            return false;
        }
        buffer += got;
        offset += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

namespace {

// A run of a concatenated plex read at once.
const std::uint64_t kConcatenatedRowBytes = 1 << 20;

void XorInto(unsigned char* target, const unsigned char* source, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) target[i] ^= source[i];
}

}  // namespace

VolumeReader::VolumeReader(const Plex& plex, MemberFiles& files)
    : plex_(plex), files_(files), dataColumns_(plex.DataColumns()),
      rowBytes_(plex.shape == PlexShape::Concatenated ? kConcatenatedRowBytes : plex.stripeBytes * dataColumns_) {
    for (std::size_t c = 0; c < plex.columns.size(); ++c) {
        if (!plex.columns[c].Present()) missingColumn_ = static_cast<int>(c);
    }
}

std::size_t VolumeReader::DataColumn(std::uint64_t row, std::size_t unit) const {
    return plex_.shape == PlexShape::Raid5 ? Raid5DataColumn(row, unit, plex_.columns.size()) : unit;
}

bool VolumeReader::ReadColumn(std::size_t column, std::uint64_t offset, unsigned char* out, std::size_t length) {
    for (const MemberExtent& extent : plex_.columns[column].extents) {
        if (length == 0) return true;
        const std::uint64_t end = extent.columnOffset + extent.length;
        if (offset >= end) continue;
        const std::uint64_t within = offset - extent.columnOffset;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(length, end - offset));
        if (!files_.ReadAt(extent.image, extent.imageOffset + within, out, take)) return false;
        out += take;
        offset += take;
        length -= take;
    }
    std::memset(out, 0, length);
    return true;
}

bool VolumeReader::Read(std::uint64_t offset, unsigned char* out, std::size_t length) {
    if (plex_.shape == PlexShape::Concatenated) return ReadColumn(0, offset, out, length);
    if (missingColumn_ < 0) return ReadStriped(offset, out, length);
    while (length > 0) {
        const std::uint64_t row = offset / rowBytes_;
        const std::uint64_t within = offset % rowBytes_;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(length, rowBytes_ - within));
        const bool parityLost = Raid5ParityColumn(row, plex_.columns.size()) == static_cast<std::size_t>(missingColumn_);
        if (!(parityLost ? ReadStriped(offset, out, take) : ReadRaid5Row(row, within, out, take))) return false;
        out += take;
        offset += take;
        length -= take;
    }
    return true;
}

bool VolumeReader::ReadStriped(std::uint64_t offset, unsigned char* out, std::size_t length) {
    const std::uint64_t stripe = plex_.stripeBytes;
    while (length > 0) {
        const std::uint64_t unit = offset / stripe;
        const std::uint64_t row = unit / dataColumns_;
        const std::uint64_t within = offset % stripe;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(length, stripe - within));
        const std::size_t column = DataColumn(row, static_cast<std::size_t>(unit % dataColumns_));
        if (!ReadColumn(column, row * stripe + within, out, take)) return false;
        out += take;
        offset += take;
        length -= take;
    }
    return true;
}

bool VolumeReader::ReadRaid5Row(std::uint64_t row, std::uint64_t within, unsigned char* out, std::size_t length) {
    const std::size_t columns = plex_.columns.size();
    const std::size_t stripe = static_cast<std::size_t>(plex_.stripeBytes);
    const std::size_t missing = static_cast<std::size_t>(missingColumn_);
    rowBuffer_.resize(columns * stripe);
    unsigned char* rebuilt = rowBuffer_.data() + missing * stripe;
    std::memset(rebuilt, 0, stripe);
    for (std::size_t c = 0; c < columns; ++c) {
        if (c == missing) continue;
        unsigned char* unit = rowBuffer_.data() + c * stripe;
        if (!ReadColumn(c, row * stripe, unit, stripe)) return false;
        XorInto(rebuilt, unit, stripe);
    }
    while (length > 0) {
        const std::size_t unit = static_cast<std::size_t>(within / stripe);
        const std::size_t at = static_cast<std::size_t>(within % stripe);
        const std::size_t take = std::min(length, stripe - at);
        std::memcpy(out, rowBuffer_.data() + DataColumn(row, unit) * stripe + at, take);
        out += take;
        within += take;
        length -= take;
    }
    return true;
}

}  // namespace strata_tools
