#include "collect/TextConversions.h"

#include <cctype>
#include <limits>
#include <sstream>

namespace strata_col {

namespace {
template <class T>
std::string Decimal(T value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <class T>
T ReadNumber(const std::string& text, std::ios_base& (*base)(std::ios_base&)) {
    std::istringstream in(text);
    T value = 0;
    in >> base >> value;  // skips leading blanks, stops at the first non-digit
    return in.fail() ? T(0) : value;
}
}  // namespace

std::string ToDecimalText(std::uint32_t value) { return Decimal(value); }
std::string ToDecimalText(unsigned long value) { return Decimal(value); }
std::string ToDecimalText(unsigned long long value) { return Decimal(value); }
std::string ToDecimalText(long long value) { return Decimal(value); }
std::string ToDecimalText(int value) { return Decimal(value); }

// Read the way a stream reads a hexadecimal number (blanks skipped, an
// optional sign and 0x prefix, stop at the first non-digit, 0 when nothing
// or too much is read), without a stream: every dynamic-disk number passes
// through here, many times per volume.
std::uint64_t HexTextToNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) break;
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) return 0;  // overflow
        value = (value << 4) | static_cast<std::uint64_t>(digit);
        anyDigit = true;
    }
    if (!anyDigit) return 0;
    return negative ? static_cast<std::uint64_t>(0) - value : value;
}

std::uint64_t DecimalTextToNumber(const std::string& text) {
    return ReadNumber<std::uint64_t>(text, std::dec);
}

int DecimalTextToInt(const std::string& text) { return ReadNumber<int>(text, std::dec); }

std::string TextCopy(const std::string& text) { return text; }

std::string BoolText(bool value) { return value ? "true" : "false"; }

}  // namespace strata_col
