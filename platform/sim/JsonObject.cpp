#include "platform/sim/JsonObject.h"
#include "platform/sim/DescriptionText.h"

#include <cctype>
#include <stdexcept>
#include <nlohmann/json.hpp>

namespace strata_sim {

namespace {
// Free text for the reader of a description.
const char kCommentKey[] = "comment";

bool ParseIntegerText(const std::string& text, std::uint64_t& magnitude, bool& negative) {
    std::size_t at = 0;
    negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    unsigned base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == text.size()) return false;
    std::uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const int c = std::tolower(static_cast<unsigned char>(text[at]));
        unsigned digit = 0;
        if (std::isdigit(c)) {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return false;
        }
        if (value > (UINT64_MAX - digit) / base) return false;
        value = value * base + digit;
    }
    magnitude = value;
    return true;
}
}  // namespace

bool JsonInteger(const nlohmann::json& value, bool negativeAllowed, std::uint64_t& magnitude, bool& negative) {
    negative = false;
    if (value.is_number_unsigned()) {
        magnitude = value.get<std::uint64_t>();
    } else if (value.is_number_integer()) {
        const std::int64_t v = value.get<std::int64_t>();
        negative = v < 0;
        magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    } else if (value.is_string()) {
        if (!ParseIntegerText(value.get<std::string>(), magnitude, negative)) return false;
    } else {
        return false;
    }
    return negativeAllowed || !negative || magnitude == 0;
}

JsonObject::JsonObject(const nlohmann::json& value, const std::string& where) : value_(&value), where_(where) {
    if (!value.is_object()) throw std::runtime_error("machine description: " + where + " must be an object");
}

bool JsonObject::Has(const std::string& key) const { return value_->contains(key); }

const nlohmann::json* JsonObject::Get(const std::string& key) {
    auto it = value_->find(key);
    if (it == value_->end()) return nullptr;
    read_.insert(key);
    return &*it;
}

void JsonObject::Fail(const std::string& key, const std::string& problem) const {
    throw std::runtime_error("machine description: " + WhereOf(key) + " " + problem);
}

namespace {
std::string LongerThan(std::size_t maxLength) {
    return "is longer than " + std::to_string(maxLength) + " characters";
}
}  // namespace

std::optional<std::string> JsonObject::Text(const std::string& key, std::size_t maxLength) {
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return std::nullopt;
    std::string text;
    if (!DescriptionTextBytes(*v, text)) Fail(key, "must be a text (or {\"bytes\": [...]})");
    if (text.size() > maxLength) Fail(key, LongerThan(maxLength));
    return text;
}

std::optional<bool> JsonObject::Bool(const std::string& key) {
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return std::nullopt;
    if (!v->is_boolean()) Fail(key, "must be true or false");
    return v->get<bool>();
}

std::optional<std::uint64_t> JsonObject::Unsigned(const std::string& key, std::uint64_t max) {
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return std::nullopt;
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (!JsonInteger(*v, false, magnitude, negative) || magnitude > max) {
        Fail(key, "must be an integer from 0 to " + std::to_string(max));
    }
    return magnitude;
}

std::optional<std::int64_t> JsonObject::Signed(const std::string& key, std::int64_t min, std::int64_t max) {
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return std::nullopt;
    std::uint64_t magnitude = 0;
    bool negative = false;
    const std::string range = "must be an integer from " + std::to_string(min) + " to " + std::to_string(max);
    if (!JsonInteger(*v, true, magnitude, negative)) Fail(key, range);
    if (negative) {
        if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) Fail(key, range);
        const std::int64_t value = magnitude == static_cast<std::uint64_t>(INT64_MAX) + 1
                                       ? INT64_MIN
                                       : -static_cast<std::int64_t>(magnitude);
        if (value < min) Fail(key, range);
        return value;
    }
    if (magnitude > static_cast<std::uint64_t>(max)) Fail(key, range);
    return static_cast<std::int64_t>(magnitude);
}

std::vector<std::string> JsonObject::TextList(const std::string& key) {
    std::vector<std::string> texts;
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return texts;
    if (!v->is_array()) Fail(key, "must be a list of texts");
    for (const nlohmann::json& element : *v) {
        std::string text;
        if (!DescriptionTextBytes(element, text)) Fail(key, "must be a list of texts");
        if (text.size() > kMaxTextLength) Fail(key, LongerThan(kMaxTextLength));
        texts.push_back(std::move(text));
    }
    return texts;
}

std::vector<JsonObject> JsonObject::Objects(const std::string& key) {
    std::vector<JsonObject> objects;
    const nlohmann::json* v = Get(key);
    if (v == nullptr) return objects;
    if (!v->is_array()) Fail(key, "must be a list of objects");
    for (std::size_t i = 0; i < v->size(); ++i) {
        objects.emplace_back((*v)[i], WhereOf(key) + "[" + std::to_string(i) + "]");
    }
    return objects;
}

void JsonObject::Finish() const {
    for (auto it = value_->begin(); it != value_->end(); ++it) {
        if (it.key() != kCommentKey && read_.count(it.key()) == 0) {
            throw std::runtime_error("machine description: unknown key " + WhereOf(it.key()));
        }
    }
}

}  // namespace strata_sim
