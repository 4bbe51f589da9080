// Object paths: namespace:Class.Key1="v1",Key2="v2", keys in name order.
#include "plugin/telva.h"

#include <tuple>

namespace NTELVA20 {

namespace {

std::string QuotedKeyValue(const std::string& value) {
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

TCIMReference::TCIMReference() {}

TCIMReference::TCIMReference(const std::string& nameSpace, const std::string& className,
                             const std::map<std::string, std::string>& keys)
    : nameSpace_(nameSpace), className_(className), keys_(keys) {}

TCIMReference::TCIMReference(const TCIMReference& other) = default;
TCIMReference& TCIMReference::operator=(const TCIMReference& other) = default;
TCIMReference::~TCIMReference() {}

bool TCIMReference::operator<(const TCIMReference& other) const {
    return std::tie(nameSpace_, className_, keys_) <
           std::tie(other.nameSpace_, other.className_, other.keys_);
}

bool TCIMReference::operator==(const TCIMReference& other) const {
    return nameSpace_ == other.nameSpace_ && className_ == other.className_ &&
           keys_ == other.keys_;
}

std::string TCIMReference::ToString() const {
    std::string path = nameSpace_.empty() ? className_ : nameSpace_ + ":" + className_;
    char separator = '.';
    for (const auto& key : keys_) {
        path += separator;
        path += key.first + "=" + QuotedKeyValue(key.second);
        separator = ',';
    }
    return path;
}

}  // namespace NTELVA20
