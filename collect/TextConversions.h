// Text conversions shared by every builder: plain standard-stream conversions.
#ifndef STRATA_COLLECT_TEXTCONVERSIONS_H
#define STRATA_COLLECT_TEXTCONVERSIONS_H

#include <cstdint>
#include <string>

namespace strata_col {

std::string ToDecimalText(std::uint32_t value);
std::string ToDecimalText(unsigned long value);
std::string ToDecimalText(unsigned long long value);
std::string ToDecimalText(long long value);
std::string ToDecimalText(int value);

// Reads the text as base 16 from its start: leading blanks skipped, reading
// stops at the first non-digit, empty text (or no digit) gives 0.
std::uint64_t HexTextToNumber(const std::string& text);
// The same in base 10.
std::uint64_t DecimalTextToNumber(const std::string& text);
int DecimalTextToInt(const std::string& text);

std::string TextCopy(const std::string& text);
std::string BoolText(bool value);

}  // namespace strata_col

#endif
