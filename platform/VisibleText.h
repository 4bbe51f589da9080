// Text that came from a disk or a device (volume labels, record names, file
// names), made safe to show on a terminal. Header-only: the host program,
// its logger and the tools print through it.
#ifndef STRATA_PLATFORM_VISIBLETEXT_H
#define STRATA_PLATFORM_VISIBLETEXT_H

#include <cstddef>
#include <string>

namespace strata_text {

namespace detail {

const char kHexDigits[] = "0123456789abcdef";

// The length of the well-formed UTF-8 sequence at `at` (2 to 4 bytes), or 0
// when the bytes there are not one (overlong forms and surrogates included).
inline std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

inline void AppendEscape(std::string& out, const char* prefix, unsigned char value) {
    out += prefix;
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

}  // namespace detail

// True when every byte of `text` belongs to well-formed UTF-8.
inline bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else if (const std::size_t length = detail::Utf8SequenceLength(text, i)) {
            i += length;
        } else {
            return false;
        }
    }
    return true;
}

// Control characters (C0, DEL, and C1 written in UTF-8) and bytes that are
// not UTF-8 become visible escapes, \x1b and \u009b; everything else stands
// as it is. Backslashes are not doubled, so that paths read as Windows
// writes them; an escape is told from a name that spells one by its context.
inline std::string VisibleText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            detail::AppendEscape(out, "\\x", c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = detail::Utf8SequenceLength(text, i)) {
            const unsigned char second = static_cast<unsigned char>(text[i + 1]);
            if (c == 0xC2 && second < 0xA0) {
                detail::AppendEscape(out, "\\u00", second);  // U+0080 to U+009F
            } else {
                out.append(text, i, length);
            }
            i += length;
        } else {
            detail::AppendEscape(out, "\\x", c);
            ++i;
        }
    }
    return out;
}

}  // namespace strata_text

#endif
