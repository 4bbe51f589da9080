#include "tools/strata-ldm/VolumeArguments.h"

#include "collect/TextConversions.h"
#include "platform/VisibleText.h"
#include "tools/strata-ldm/SectorSize.h"

#include <iostream>

namespace strata_tools {

void Say(const std::string& text) { std::cerr << "strata-ldm: " << strata_text::VisibleText(text) << "\n"; }

std::string Decimal(std::uint64_t value) { return strata_col::ToDecimalText(static_cast<unsigned long long>(value)); }

namespace {

bool Digits(const std::string& text, std::size_t most) {
    return !text.empty() && text.size() <= most && text.find_first_not_of("0123456789") == std::string::npos;
}

bool Take(const std::string& option, const std::string& value, VolumeArguments& parsed) {
    if (option == "--volume") parsed.volume = value;
    else if (option == "--group") parsed.group = value;
    else if (option == "--out") parsed.out = value;
    else if (option == "--format") {
        if (value != "text" && value != "json") {
            Say("--format is text or json");
            return false;
        }
        parsed.format = value;
    } else if (option == "--plex") {
        if (!Digits(value, 3) || std::stoi(value) == 0) {
            Say("--plex needs a plex number from 1");
            return false;
        }
        parsed.plex = std::stoi(value);
    } else if (option == "--sector-size") {
        if (!Digits(value, 6) || !IsSectorSize(std::stoul(value))) {
            Say("--sector-size needs a power of two from 512 to 65536");
            return false;
        }
        parsed.sectorSize = static_cast<std::uint32_t>(std::stoul(value));
    }
    return true;
}

}  // namespace

bool ParseVolumeArguments(const std::vector<std::string>& args, const std::set<std::string>& valued,
                          const std::set<std::string>& flags, const char* usage, VolumeArguments& parsed) {
    bool onlyImages = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyImages || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.images.push_back(arg);
        } else if (arg == "--") {
            onlyImages = true;
        } else if (flags.count(arg) != 0) {
            parsed.flags.insert(arg);
        } else if (valued.count(arg) != 0) {
            if (i + 1 == args.size()) {
                Say(arg + " needs a value");
                std::cerr << usage;
                return false;
            }
            if (!Take(arg, args[++i], parsed)) return false;
        } else {
            Say("unknown option " + arg);
            std::cerr << usage;
            return false;
        }
    }
    if (parsed.images.empty()) {
        std::cerr << usage;
        return false;
    }
    return true;
}

}  // namespace strata_tools
