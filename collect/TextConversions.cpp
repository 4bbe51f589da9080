#include "collect/TextConversions.h"

#include <sstream>

namespace strata_col {

namespace {
template <class T>
std::string Decimal(T value) {
    std::ostringstream out;
    out << value;
    return out.str();
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

std::uint64_t HexTextToNumber(const std::string& text) {
    return ReadNumber<std::uint64_t>(text, std::hex);
}

std::uint64_t DecimalTextToNumber(const std::string& text) {
    return ReadNumber<std::uint64_t>(text, std::dec);
}

int DecimalTextToInt(const std::string& text) { return ReadNumber<int>(text, std::dec); }

std::string TextCopy(const std::string& text) { return text; }

std::string BoolText(bool value) { return value ? "true" : "false"; }

}  // namespace strata_col
