// JSON descriptions (machines, disk groups) read strictly: a key given twice
// in one object is an error, where a JSON parser would keep the last value
// and so drop, say, a whole first list of devices without a word.
#ifndef STRATA_PLATFORM_UNIQUEKEYJSON_H
#define STRATA_PLATFORM_UNIQUEKEYJSON_H

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace strata_json {

// Parses `text`; nlohmann::json::parse_error when it is no JSON,
// std::runtime_error naming the key when one is given twice in an object.
inline nlohmann::json ParseUniqueKeys(const std::string& text) {
    std::vector<std::set<std::string>> open;  // the keys of each object being read
    const nlohmann::json::parser_callback_t refuseTwice =
        [&open](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
            if (event == nlohmann::json::parse_event_t::object_start) {
                open.emplace_back();
            } else if (event == nlohmann::json::parse_event_t::object_end) {
                open.pop_back();
            } else if (event == nlohmann::json::parse_event_t::key &&
                       !open.back().insert(parsed.get<std::string>()).second) {
                throw std::runtime_error("the key \"" + parsed.get<std::string>() +
                                         "\" is given twice in one object");
            }
            return true;
        };
    return nlohmann::json::parse(text, refuseTwice);
}

}  // namespace strata_json

#endif
