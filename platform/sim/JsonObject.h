// Strict reading of one JSON object of a machine description: every value
// is checked for its type and range, and keys nobody asked for are refused,
// so a misspelt key is an error rather than a silent default.
#ifndef STRATA_PLATFORM_SIM_JSONOBJECT_H
#define STRATA_PLATFORM_SIM_JSONOBJECT_H

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace strata_sim {

// The longest text a description may hold: the longest path Windows takes.
// Texts reach every instance (the machine name does), so they are bounded.
const std::size_t kMaxTextLength = 32767;

class JsonObject {
public:
    // where: the object's place in the description, e.g. devices[2].geometry.
    JsonObject(const nlohmann::json& value, const std::string& where);

    const std::string& Where() const { return where_; }
    std::string WhereOf(const std::string& key) const { return where_ + "." + key; }

    bool Has(const std::string& key) const;
    // The value of a key, marking it read; null when absent.
    const nlohmann::json* Get(const std::string& key);

    std::optional<std::string> Text(const std::string& key, std::size_t maxLength = kMaxTextLength);
    std::optional<bool> Bool(const std::string& key);
    // Integers are JSON numbers or texts in decimal or 0x-hexadecimal.
    std::optional<std::uint64_t> Unsigned(const std::string& key, std::uint64_t max = UINT64_MAX);
    std::optional<std::int64_t> Signed(const std::string& key, std::int64_t min = INT64_MIN,
                                       std::int64_t max = INT64_MAX);
    std::vector<std::string> TextList(const std::string& key);
    // The elements of an array of objects.
    std::vector<JsonObject> Objects(const std::string& key);

    // Throws for every key that was never read.
    void Finish() const;

    [[noreturn]] void Fail(const std::string& key, const std::string& problem) const;

private:
    const nlohmann::json* value_;
    std::string where_;
    std::set<std::string> read_;
};

// An integer from a JSON number or text; false when it is neither or out of range.
bool JsonInteger(const nlohmann::json& value, bool negativeAllowed, std::uint64_t& magnitude, bool& negative);

}  // namespace strata_sim

#endif
