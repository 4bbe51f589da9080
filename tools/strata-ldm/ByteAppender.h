// Appends the byte encodings of the Logical Disk Manager format to a buffer,
// and writes big-endian numbers at fixed offsets.
#ifndef STRATA_TOOLS_BYTEAPPENDER_H
#define STRATA_TOOLS_BYTEAPPENDER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace strata_tools {

typedef std::vector<unsigned char> Bytes;

// Puts `value` big-endian in `width` bytes at `offset`; the buffer grows to fit.
void PutBigEndian(Bytes& bytes, std::size_t offset, std::size_t width, std::uint64_t value);

// The checksum of a private header or table of contents: the byte sum of
// its first `length` bytes with the 32-bit checksum field at
// `checksumOffset` left out (bytes past the buffer count as none).
std::uint32_t StructureChecksum(const Bytes& bytes, std::size_t checksumOffset, std::size_t length);
// Puts `value` little-endian in `width` bytes at `offset`; the buffer grows to fit.
void PutLittleEndian(Bytes& bytes, std::size_t offset, std::size_t width, std::uint64_t value);
// Puts the text's characters at `offset`, at most `width` of them.
void PutText(Bytes& bytes, std::size_t offset, std::size_t width, const std::string& text);

class ByteAppender {
public:
    explicit ByteAppender(Bytes& bytes) : bytes_(bytes) {}
    virtual ~ByteAppender() {}

    void Byte(unsigned char value) { bytes_.push_back(value); }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void FixedNumber(std::uint64_t value, std::size_t width);
    // A length byte, then the number in as few big-endian bytes as it needs.
    void VarNumber(std::uint64_t value);
    // The same from hex digits, kept as given (two digits a byte).
    void VarNumberHex(const std::string& digits);
    void FixedText(const std::string& text, std::size_t width);
    void VarText(const std::string& text);
    // A GUID text's 32 hex digits as 16 bytes in text order.
    void GuidBytes(const std::string& guidText);

private:
    Bytes& bytes_;
};

// The 16 bytes of a GUID text in text order; throws on a malformed text.
Bytes GuidTextBytes(const std::string& guidText);

}  // namespace strata_tools

#endif
