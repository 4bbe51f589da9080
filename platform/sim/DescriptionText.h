// Texts of a machine description that need not be UTF-8. Windows hands out
// names in the ANSI code page ("Donn\xe9es" under code page 1252), and JSON
// holds only Unicode text, so such a text is written as its bytes:
//   "label": {"bytes": [68, 111, 110, 110, 233, 101, 115]}
// and read back byte for byte. Every other text stays a JSON string.
#ifndef STRATA_PLATFORM_SIM_DESCRIPTIONTEXT_H
#define STRATA_PLATFORM_SIM_DESCRIPTIONTEXT_H

#include "platform/VisibleText.h"

#include <nlohmann/json.hpp>

#include <string>

namespace strata_sim {

const char kTextBytesKey[] = "bytes";

// The bytes of a description text: a JSON string, or an object holding only
// "bytes", a list of numbers from 0 to 255. False for anything else.
inline bool DescriptionTextBytes(const nlohmann::json& value, std::string& bytes) {
    if (value.is_string()) {
        bytes = value.get<std::string>();
        return true;
    }
    if (!value.is_object() || value.size() != 1 || !value.contains(kTextBytesKey)) return false;
    const nlohmann::json& list = value.at(kTextBytesKey);
    if (!list.is_array()) return false;
    std::string read;
    read.reserve(list.size());
    for (const nlohmann::json& byte : list) {
        if (!byte.is_number_unsigned() || byte.get<std::uint64_t>() > 255) return false;
        read += static_cast<char>(byte.get<std::uint64_t>());
    }
    bytes.swap(read);
    return true;
}

// The text as a description holds it (nlohmann::json or ordered_json).
template <typename Json = nlohmann::json>
Json DescriptionText(const std::string& bytes) {
    if (strata_text::IsUtf8(bytes)) return bytes;
    Json list = Json::array();
    for (const char byte : bytes) list.push_back(static_cast<unsigned>(static_cast<unsigned char>(byte)));
    return Json{{kTextBytesKey, list}};
}

// Rewrites every string of `tree` that is not UTF-8 as its bytes, so that the
// tree can be written as JSON without losing one.
template <typename Json>
void KeepTextBytes(Json& tree) {
    if (tree.is_string()) {
        if (!strata_text::IsUtf8(tree.template get_ref<const std::string&>())) {
            tree = DescriptionText<Json>(tree.template get<std::string>());
        }
    } else if (tree.is_structured()) {
        for (Json& element : tree) KeepTextBytes(element);
    }
}

}  // namespace strata_sim

#endif
