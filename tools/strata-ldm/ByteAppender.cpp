#include "tools/strata-ldm/ByteAppender.h"

#include <cctype>
#include <stdexcept>

namespace strata_tools {

namespace {
// A text from a description, quoted in a message: a hostile description may
// hold megabytes in one value.
std::string Quoted(const std::string& text) {
    const std::size_t kShown = 40;
    return "\"" + (text.size() <= kShown ? text : text.substr(0, kShown) + "...") + "\"";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Bytes HexBytes(const std::string& digits) {
    if (digits.size() % 2 != 0) {
        throw std::runtime_error(Quoted(digits) + " needs an even number of hex digits");
    }
    Bytes bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexValue(digits[i]);
        const int low = HexValue(digits[i + 1]);
        if (high < 0 || low < 0) {
            throw std::runtime_error(Quoted(digits) + " is not hex digits");
        }
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return bytes;
}
}  // namespace

void PutBigEndian(Bytes& bytes, std::size_t offset, std::size_t width, std::uint64_t value) {
    if (bytes.size() < offset + width) {
        bytes.resize(offset + width, 0);
    }
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + width - 1 - i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void PutLittleEndian(Bytes& bytes, std::size_t offset, std::size_t width, std::uint64_t value) {
    if (bytes.size() < offset + width) {
        bytes.resize(offset + width, 0);
    }
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void PutText(Bytes& bytes, std::size_t offset, std::size_t width, const std::string& text) {
    if (bytes.size() < offset + width) {
        bytes.resize(offset + width, 0);
    }
    for (std::size_t i = 0; i < width && i < text.size(); ++i) {
        bytes[offset + i] = static_cast<unsigned char>(text[i]);
    }
}

Bytes GuidTextBytes(const std::string& guidText) {
    std::string digits;
    for (char c : guidText) {
        if (c != '-' && c != '{' && c != '}') {
            digits.push_back(c);
        }
    }
    if (digits.size() != 32) {
        throw std::runtime_error(Quoted(guidText) + " is not a GUID");
    }
    return HexBytes(digits);
}

void ByteAppender::FixedNumber(std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i > 0; --i) {
        bytes_.push_back(i > 8 ? 0 : static_cast<unsigned char>(value >> (8 * (i - 1))));
    }
}

void ByteAppender::VarNumber(std::uint64_t value) {
    std::size_t width = 0;
    for (std::uint64_t rest = value; rest != 0; rest >>= 8) {
        ++width;
    }
    Byte(static_cast<unsigned char>(width));
    FixedNumber(value, width);
}

void ByteAppender::VarNumberHex(const std::string& digits) {
    const Bytes bytes = HexBytes(digits);
    if (bytes.size() > 255) {
        throw std::runtime_error(Quoted(digits) + " is too long for one field");
    }
    Byte(static_cast<unsigned char>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ByteAppender::FixedText(const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes_.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
    }
}

void ByteAppender::VarText(const std::string& text) {
    if (text.size() > 255) {
        throw std::runtime_error(Quoted(text) + " is too long for one field");
    }
    Byte(static_cast<unsigned char>(text.size()));
    FixedText(text, text.size());
}

void ByteAppender::GuidBytes(const std::string& guidText) {
    const Bytes bytes = GuidTextBytes(guidText);
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

std::uint32_t StructureChecksum(const Bytes& bytes, std::size_t checksumOffset, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length && i < bytes.size(); ++i) {
        if (i < checksumOffset || i >= checksumOffset + 4) sum += bytes[i];
    }
    return sum;
}

}  // namespace strata_tools
