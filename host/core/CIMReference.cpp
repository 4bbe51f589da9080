// Object paths: namespace:Class.Key1="v1",Key2="v2", keys in name order.
#include "plugin/telva.h"

#include <tuple>
#include <utility>

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

struct TCIMReference::Path {
    std::string nameSpace;
    std::string className;
    std::map<std::string, std::string> keys;
    std::string text;  // the object path text, made once: associations key on it
};

namespace {

std::string PathText(const std::string& nameSpace, const std::string& className,
                     const std::map<std::string, std::string>& keys) {
    std::string path = nameSpace.empty() ? className : nameSpace + ":" + className;
    char separator = '.';
    for (const auto& key : keys) {
        path += separator;
        path += key.first + "=" + QuotedKeyValue(key.second);
        separator = ',';
    }
    return path;
}

}  // namespace

TCIMReference::TCIMReference() {}

TCIMReference::TCIMReference(const std::string& nameSpace, const std::string& className,
                             std::map<std::string, std::string> keys) {
    boost::shared_ptr<Path> path(new Path{nameSpace, className, std::move(keys), std::string()});
    path->text = PathText(path->nameSpace, path->className, path->keys);
    path->text.shrink_to_fit();  // built by appending; kept for the instance's life
    path_ = path;
}

TCIMReference::TCIMReference(const TCIMReference& other) = default;
TCIMReference& TCIMReference::operator=(const TCIMReference& other) = default;
TCIMReference::~TCIMReference() {}

const TCIMReference::Path& TCIMReference::Parts() const {
    static const Path kEmpty;
    return path_ ? *path_ : kEmpty;
}

const std::string& TCIMReference::GetNamespace() const { return Parts().nameSpace; }
const std::string& TCIMReference::GetClassName() const { return Parts().className; }
const std::map<std::string, std::string>& TCIMReference::GetKeys() const { return Parts().keys; }

bool TCIMReference::operator<(const TCIMReference& other) const {
    if (path_ == other.path_) return false;
    const Path& left = Parts();
    const Path& right = other.Parts();
    return std::tie(left.nameSpace, left.className, left.keys) <
           std::tie(right.nameSpace, right.className, right.keys);
}

bool TCIMReference::operator==(const TCIMReference& other) const {
    if (path_ == other.path_) return true;
    const Path& left = Parts();
    const Path& right = other.Parts();
    return left.nameSpace == right.nameSpace && left.className == right.className &&
           left.keys == right.keys;
}

std::string TCIMReference::ToString() const { return Parts().text; }

}  // namespace NTELVA20
