// Bounds-checked little-endian reads from a byte buffer.
#ifndef STRATA_PLATFORM_BYTEVIEW_H
#define STRATA_PLATFORM_BYTEVIEW_H

#include <boost/endian/conversion.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace disk_format {

// A read-only window on bytes. Every read names its offset and width and
// fails (returns false) instead of reading past the end.
class ByteView {
public:
    ByteView(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteView(const std::vector<unsigned char>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}

    std::size_t Size() const { return size_; }
    bool Has(std::size_t offset, std::size_t width) const {
        return offset <= size_ && width <= size_ - offset;
    }

    bool U8(std::size_t offset, std::uint8_t& value) const {
        if (!Has(offset, 1)) return false;
        value = data_[offset];
        return true;
    }
    bool U16(std::size_t offset, std::uint16_t& value) const {
        if (!Has(offset, 2)) return false;
        value = boost::endian::load_little_u16(data_ + offset);
        return true;
    }
    bool U32(std::size_t offset, std::uint32_t& value) const {
        if (!Has(offset, 4)) return false;
        value = boost::endian::load_little_u32(data_ + offset);
        return true;
    }
    bool U64(std::size_t offset, std::uint64_t& value) const {
        if (!Has(offset, 8)) return false;
        value = boost::endian::load_little_u64(data_ + offset);
        return true;
    }
    bool Bytes(std::size_t offset, std::size_t width, const unsigned char*& start) const {
        if (!Has(offset, width)) return false;
        start = data_ + offset;
        return true;
    }
    // A sub-window; empty when it does not fit.
    ByteView Slice(std::size_t offset, std::size_t width) const {
        if (!Has(offset, width)) return ByteView(nullptr, 0);
        return ByteView(data_ + offset, width);
    }

private:
    const unsigned char* data_;
    std::size_t size_;
};

}  // namespace disk_format

#endif
