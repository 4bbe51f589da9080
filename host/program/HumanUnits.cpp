#include "host/program/HumanUnits.h"

#include <cstdio>

namespace telva_host {

std::string HumanBytes(std::uint64_t bytes) {
    static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++unit;
    }
    // Rounding can carry into the next unit (1023.9 KiB is 1.00 MiB).
    char text[32];
    const char* format = value < 9.995 ? "%.2f %s" : value < 99.95 ? "%.1f %s" : "%.0f %s";
    if (value >= 1023.5 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++unit;
        format = "%.2f %s";
    }
    std::snprintf(text, sizeof text, format, value, kUnits[unit]);
    return text;
}

std::string BytesWithHuman(std::uint64_t bytes) {
    if (bytes < 1024) return HumanBytes(bytes);
    return HumanBytes(bytes) + " (" + std::to_string(bytes) + ")";
}

}  // namespace telva_host
