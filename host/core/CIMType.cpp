// CIM type names: the texts of the MOF schema and of TCIMType::ToString.
#include "plugin/telva.h"

namespace NTELVA20 {

namespace {

struct TypeName {
    TCIMValue::TCIMType::Kind kind;
    const char* text;
};

const TypeName kTypeNames[] = {
    {TCIMValue::TCIMType::kBoolean, "boolean"},  {TCIMValue::TCIMType::kUint8, "uint8"},
    {TCIMValue::TCIMType::kSint8, "sint8"},      {TCIMValue::TCIMType::kUint16, "uint16"},
    {TCIMValue::TCIMType::kSint16, "sint16"},    {TCIMValue::TCIMType::kUint32, "uint32"},
    {TCIMValue::TCIMType::kSint32, "sint32"},    {TCIMValue::TCIMType::kUint64, "uint64"},
    {TCIMValue::TCIMType::kSint64, "sint64"},    {TCIMValue::TCIMType::kReal32, "real32"},
    {TCIMValue::TCIMType::kReal64, "real64"},    {TCIMValue::TCIMType::kString, "string"},
    {TCIMValue::TCIMType::kDateTime, "datetime"}, {TCIMValue::TCIMType::kReference, "reference"},
};

}  // namespace

TCIMValue::TCIMType::TCIMType() : kind_(kUnknown) {}

TCIMValue::TCIMType::TCIMType(const std::string& text) : kind_(kUnknown) {
    for (const TypeName& name : kTypeNames) {
        if (text == name.text) {
            kind_ = name.kind;
            return;
        }
    }
    throw TTelvaException("unknown CIM type \"" + text + "\"");
}

TCIMValue::TCIMType::TCIMType(Kind kind) : kind_(kind) {}
TCIMValue::TCIMType::TCIMType(const TCIMType& other) : kind_(other.kind_) {}

TCIMValue::TCIMType& TCIMValue::TCIMType::operator=(const TCIMType& other) {
    kind_ = other.kind_;
    return *this;
}

TCIMValue::TCIMType::~TCIMType() {}

std::string TCIMValue::TCIMType::ToString() const {
    for (const TypeName& name : kTypeNames) {
        if (kind_ == name.kind) return name.text;
    }
    return "unknown";
}

}  // namespace NTELVA20
