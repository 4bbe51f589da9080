#include "host/core/ValueText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;

namespace telva_host {

namespace {

typedef TCIMValue::TCIMType TCIMType;
typedef TCIMType::Kind Kind;

[[noreturn]] void Refuse(Kind kind, const std::string& text, const std::string& why) {
    throw TTelvaException("cannot convert \"" + text + "\" to " + TCIMType(kind).ToString() +
                          ": " + why);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Largest magnitude of a positive and of a negative value of an integer kind.
struct IntegerLimits {
    std::uint64_t positive;
    std::uint64_t negative;
};

IntegerLimits LimitsOf(Kind kind) {
    switch (kind) {
    case TCIMType::kUint8: return {0xFFu, 0};
    case TCIMType::kSint8: return {0x7Fu, 0x80u};
    case TCIMType::kUint16: return {0xFFFFu, 0};
    case TCIMType::kSint16: return {0x7FFFu, 0x8000u};
    case TCIMType::kUint32: return {0xFFFFFFFFu, 0};
    case TCIMType::kSint32: return {0x7FFFFFFFu, 0x80000000u};
    case TCIMType::kUint64: return {std::numeric_limits<std::uint64_t>::max(), 0};
    default: return {0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull};
    }
}

std::string CanonicalInteger(Kind kind, const std::string& text) {
    if (text.empty()) Refuse(kind, text, "empty text");
    std::size_t pos = 0;
    const bool negative = text[0] == '-';
    if (negative) {
        if (!IsSignedKind(kind)) Refuse(kind, text, "negative value for an unsigned type");
        pos = 1;
    }
    if (pos == text.size()) Refuse(kind, text, "no digits");
    const std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) Refuse(kind, text, "not a decimal integer");
        const unsigned digit = static_cast<unsigned>(text[pos] - '0');
        if (magnitude > (kMax - digit) / 10) Refuse(kind, text, "out of range");
        magnitude = magnitude * 10 + digit;
    }
    const IntegerLimits limits = LimitsOf(kind);
    if (magnitude > (negative ? limits.negative : limits.positive)) {
        Refuse(kind, text, "out of range");
    }
    if (magnitude == 0) return "0";
    return (negative ? "-" : "") + std::to_string(magnitude);
}

// Plain decimal notation only: no blanks, hex floats, infinities or NaN.
bool IsDecimalRealText(const std::string& text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
        std::size_t exponentDigits = 0;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return pos == text.size();
}

std::string CanonicalReal(Kind kind, const std::string& text) {
    if (!IsDecimalRealText(text)) Refuse(kind, text, "not a decimal number");
    errno = 0;
    const double value = kind == TCIMType::kReal32 ? std::strtof(text.c_str(), nullptr)
                                                   : std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) Refuse(kind, text, "out of range");
    return text;
}

// CIM datetime: yyyymmddhhmmss.mmmmmmsutc (s is + or -), or an interval
// ddddddddhhmmss.mmmmmm:000; '*' stands for an unknown digit.
std::string CanonicalDateTime(const std::string& text) {
    const std::size_t kLength = 25;
    const std::size_t kDot = 14;
    const std::size_t kSign = 21;
    bool valid = text.size() == kLength && text[kDot] == '.' &&
                 (text[kSign] == '+' || text[kSign] == '-' || text[kSign] == ':');
    for (std::size_t i = 0; valid && i < kLength; ++i) {
        if (i == kDot || i == kSign) continue;
        valid = IsDigit(text[i]) || text[i] == '*';
    }
    if (!valid) Refuse(TCIMType::kDateTime, text, "not a CIM datetime");
    return text;
}

}  // namespace

bool IsIntegerKind(Kind kind) { return kind >= TCIMType::kUint8 && kind <= TCIMType::kSint64; }

bool IsSignedKind(Kind kind) {
    return kind == TCIMType::kSint8 || kind == TCIMType::kSint16 || kind == TCIMType::kSint32 ||
           kind == TCIMType::kSint64;
}

std::string CanonicalValueText(Kind kind, const std::string& text) {
    if (IsIntegerKind(kind)) return CanonicalInteger(kind, text);
    switch (kind) {
    case TCIMType::kBoolean:
        if (text != "true" && text != "false") Refuse(kind, text, "expected true or false");
        return text;
    case TCIMType::kReal32:
    case TCIMType::kReal64:
        return CanonicalReal(kind, text);
    case TCIMType::kString:
        return text;
    case TCIMType::kDateTime:
        return CanonicalDateTime(text);
    case TCIMType::kReference:
        Refuse(kind, text, "references are made from object paths, not text");
    default:
        Refuse(kind, text, "unknown type");
    }
}

std::int64_t SignedValue(const std::string& canonical) {
    return std::strtoll(canonical.c_str(), nullptr, 10);
}

std::uint64_t UnsignedValue(const std::string& canonical) {
    return std::strtoull(canonical.c_str(), nullptr, 10);
}

}  // namespace telva_host
