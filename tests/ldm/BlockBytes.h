// Builds VBLK blocks and database areas byte by byte for the parser tests.
#ifndef STRATA_TESTS_LDM_BLOCKBYTES_H
#define STRATA_TESTS_LDM_BLOCKBYTES_H

#include "ldm/LdmLayout.h"

#include <boost/endian/conversion.hpp>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace strata_test {

typedef std::vector<unsigned char> Bytes;

// One 128-byte block: magic, status, flags, type, then the body as appended.
class BlockBytes {
public:
    BlockBytes(unsigned char type, unsigned char flags = 0, unsigned char status = 0)
        : bytes_(strata_col::ldm_layout::kVblkSize, 0), at_(strata_col::ldm_layout::kVblkBodyOffset) {
        std::memcpy(bytes_.data(), "VBLK", 4);
        bytes_[0x10] = status;
        bytes_[0x12] = flags;
        bytes_[0x13] = type;
    }
    BlockBytes& Raw(std::initializer_list<unsigned char> values) {
        for (unsigned char v : values) Put(v);
        return *this;
    }
    BlockBytes& Zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) Put(0);
        return *this;
    }
    BlockBytes& VarText(const std::string& text) {
        Put(static_cast<unsigned char>(text.size()));
        for (char c : text) Put(static_cast<unsigned char>(c));
        return *this;
    }
    BlockBytes& FixedText(const std::string& text, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) Put(i < text.size() ? text[i] : 0);
        return *this;
    }
    // A var-num of the given bytes.
    BlockBytes& VarNum(std::initializer_list<unsigned char> values) {
        Put(static_cast<unsigned char>(values.size()));
        return Raw(values);
    }
    BlockBytes& Fixed(std::uint64_t value, std::size_t width) {
        for (std::size_t i = width; i > 0; --i) Put(static_cast<unsigned char>(value >> (8 * (i - 1))));
        return *this;
    }
    std::size_t Position() const { return at_; }
    const Bytes& bytes() const { return bytes_; }

private:
    void Put(unsigned char value) {
        if (at_ < bytes_.size()) bytes_[at_] = value;
        ++at_;  // past the end: the block is cut, as a long record's first block is
    }
    Bytes bytes_;
    std::size_t at_;
};

// A database area: `size` zero bytes with blocks placed at chosen offsets.
class AreaBytes {
public:
    explicit AreaBytes(std::size_t size) : bytes_(size, 0) {}
    AreaBytes& Place(std::size_t offset, const BlockBytes& block) {
        for (std::size_t i = 0; i < block.bytes().size() && offset + i < bytes_.size(); ++i) {
            bytes_[offset + i] = block.bytes()[i];
        }
        return *this;
    }
    AreaBytes& PutBigEndian32(std::size_t offset, std::uint32_t value) {
        boost::endian::store_big_u32(&bytes_.at(offset), value);
        return *this;
    }
    Bytes& bytes() { return bytes_; }

private:
    Bytes bytes_;
};

// A volume block with the body every volume carries, before its optional fields.
inline BlockBytes VolumeBlock(unsigned char flags, std::initializer_list<unsigned char> objectId,
                              const std::string& name) {
    BlockBytes block(strata_col::ldm_layout::kTypeVolume, flags);
    block.VarNum(objectId).VarText(name).VarText("gen").Zeros(1).FixedText("ACTIVE", 14)
        .Raw({0x03, 0x01, 0x05}).Zeros(3).Raw({0x11}).VarNum({0x01})
        .Fixed(0x429, 8).Fixed(0x428, 8).VarNum({0x01, 0x78, 0x00}).Zeros(4).Raw({0x07})
        .Fixed(0x6e30daae8e4240fbull, 8).Fixed(0x9af0807416c3fedeull, 8);
    return block;
}

}  // namespace strata_test

#endif
