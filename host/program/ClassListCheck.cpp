#include "host/program/ClassListCheck.h"

#include "host/core/Schema.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace telva_host {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::vector<std::string> ClassListWarnings(const std::vector<std::string>& classes, const Schema& schema) {
    std::vector<std::string> warnings;
    std::map<std::string, std::size_t> counts;
    for (const std::string& name : classes) ++counts[name];
    std::set<std::string> told;
    for (const std::string& name : classes) {
        if (!told.insert(name).second) continue;
        if (schema.FindClass(name) == nullptr) {
            std::string warning = name + " is not a class of the schema";
            for (const std::string& known : schema.ClassNames()) {
                if (EqualNoCase(known, name)) warning += " (class names are case-sensitive: " + known + ")";
            }
            warnings.push_back(warning + "; it is sent as given");
        }
        if (counts[name] > 1) {
            warnings.push_back(name + " is listed " + std::to_string(counts[name]) + " times; it is queried each time");
        }
    }
    return warnings;
}

}  // namespace telva_host
