#include "platform/sim/PathNames.h"

#include "platform/sim/Guid.h"

#include <algorithm>
#include <cctype>

namespace strata_sim {

namespace {
const char kDevicePrefix[] = "\\\\.\\";
const char kWin32Prefix[] = "\\\\?\\";
const std::size_t kPrefixLength = 4;
const char kVolumeNameStart[] = "\\\\?\\Volume";

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

std::string UpperText(const std::string& text) {
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    return upper;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperText(a) == UpperText(b);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::string WithBackslash(const std::string& text) {
    if (!text.empty() && text.back() == '\\') return text;
    return text + '\\';
}

bool IsDriveRoot(const std::string& text) {
    if (text.size() < 3 || text.compare(text.size() - 2, 2, ":\\") != 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    for (std::size_t i = 1; i + 2 < text.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

bool IsVolumeGuidName(const std::string& text) {
    const std::string start = kVolumeNameStart;
    if (!StartsWithNoCase(text, start) || text.back() != '\\') return false;
    GUID guid;
    return ParseGuid(text.substr(start.size(), text.size() - start.size() - 1), guid) &&
           text[start.size()] == '{';
}

bool StripDevicePrefix(const std::string& path, std::string& rest) {
    if (path.compare(0, kPrefixLength, kDevicePrefix) != 0 &&
        path.compare(0, kPrefixLength, kWin32Prefix) != 0) {
        return false;
    }
    rest = path.substr(kPrefixLength);
    return true;
}

bool ParseNumberedName(const std::string& name, const std::string& prefix, std::uint32_t& number) {
    if (!StartsWithNoCase(name, prefix) || name.size() == prefix.size()) return false;
    const std::size_t kMaxDigits = 9;
    if (name.size() - prefix.size() > kMaxDigits) return false;
    std::uint32_t value = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
        value = value * 10 + static_cast<std::uint32_t>(name[i] - '0');
    }
    number = value;
    return true;
}

std::string InterfacePath(const std::string& instanceId, const GUID& interfaceClass) {
    std::string id = instanceId;
    std::transform(id.begin(), id.end(), id.begin(), Lower);
    std::replace(id.begin(), id.end(), '\\', '#');
    std::string guid = GuidText(interfaceClass);
    std::transform(guid.begin(), guid.end(), guid.begin(), Lower);
    return std::string(kWin32Prefix) + id + "#" + guid;
}

}  // namespace strata_sim
