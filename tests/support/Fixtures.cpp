#include "tests/support/Fixtures.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace strata_test {

namespace {
const char kFactsFile[] = "ldm-2003r2-facts.json";

bool Readable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good();
}
}  // namespace

std::string FixtureDir() { return STRATA_FIXTURE_IMAGES; }

std::string FixtureImage(const std::string& name) { return FixtureDir() + "/" + name; }

const nlohmann::json& FixtureFacts() {
    static const nlohmann::json facts = [] {
        std::ifstream in(FixtureImage(kFactsFile));
        if (!in.good()) {
            return nlohmann::json();
        }
        return nlohmann::json::parse(in, nullptr, false);
    }();
    return facts;
}

std::vector<std::string> FixtureImageNames() {
    std::vector<std::string> names;
    const nlohmann::json& facts = FixtureFacts();
    if (facts.is_object() && facts.contains("images")) {
        for (const auto& name : facts["images"]) {
            names.push_back(name.get<std::string>());
        }
    }
    return names;
}

strata_col::DeviceMap FixtureDevices() {
    strata_col::DeviceMap devices;
    for (const std::string& name : FixtureImageNames()) devices.insert({name, FixtureImage(name)});
    return devices;
}

bool FixturesPresent() {
    const std::vector<std::string> names = FixtureImageNames();
    if (names.empty()) {
        return false;
    }
    for (const std::string& name : names) {
        if (!Readable(FixtureImage(name))) {
            return false;
        }
    }
    return true;
}

}  // namespace strata_test
