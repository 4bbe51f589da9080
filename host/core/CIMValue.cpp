// Values: null, scalars held as canonical text, arrays, references.
#include "host/core/ValueText.h"

namespace NTELVA20 {

namespace {

const int kArrayFlag = 256;

const char* kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string MagnitudeInBase(std::uint64_t magnitude, int base) {
    if (magnitude == 0) return "0";
    std::string text;
    while (magnitude != 0) {
        text.insert(text.begin(), kDigits[magnitude % static_cast<unsigned>(base)]);
        magnitude /= static_cast<unsigned>(base);
    }
    return text;
}

}  // namespace

TCIMValue::TCIMValue() : null_(true), array_(false) {}
TCIMValue::TCIMValue(const TCIMValue& other) = default;
TCIMValue& TCIMValue::operator=(const TCIMValue& other) = default;
TCIMValue::~TCIMValue() {}

TCIMValue::TCIMValue(const std::string& text)
    : type_(TCIMType::kString), null_(false), array_(false), text_(text) {}

TCIMValue::TCIMValue(const TCIMReference& reference)
    : type_(TCIMType::kReference), null_(false), array_(false), reference_(reference) {}

TCIMValue::TCIMValue(const TCIMType& type, const std::string& text,
                     boost::shared_ptr<ICIMNamespace> /*nameSpace*/)
    : type_(type), null_(false), array_(false),
      text_(telva_host::CanonicalValueText(type.GetKind(), text)) {}

void TCIMValue::Set(const TCIMType& type, int flags, const std::vector<TCIMValue>& elements) {
    if (flags != kArrayFlag) {
        throw TTelvaException("unsupported value flags " + std::to_string(flags) +
                              " (arrays are made with 256)");
    }
    for (const TCIMValue& element : elements) {
        if (element.null_ || element.array_ || element.type_ != type) {
            throw TTelvaException("an array of " + type.ToString() +
                                  " cannot hold an element of type " +
                                  (element.null_ ? std::string("null")
                                                 : element.type_.ToString() +
                                                       (element.array_ ? "[]" : "")));
        }
    }
    type_ = type;
    null_ = false;
    array_ = true;
    text_.clear();
    reference_ = TCIMReference();
    elements_ = elements;
}

bool TCIMValue::IsNull() const { return null_; }

TCIMValue::operator std::string() const { return ToString(10); }

TCIMValue::operator unsigned short() const {
    const TCIMType::Kind kind = type_.GetKind();
    if (null_ || array_ || !telva_host::IsIntegerKind(kind)) {
        throw TTelvaException("a " + std::string(null_ ? "null" : type_.ToString()) +
                              (array_ ? " array" : "") + " value is not convertible to uint16");
    }
    const bool fits = telva_host::IsSignedKind(kind)
                          ? telva_host::SignedValue(text_) >= 0 &&
                                telva_host::SignedValue(text_) <= 0xFFFF
                          : telva_host::UnsignedValue(text_) <= 0xFFFF;
    if (!fits) throw TTelvaException("value " + text_ + " is out of range for uint16");
    return static_cast<unsigned short>(telva_host::UnsignedValue(text_));
}

std::string TCIMValue::ToString(int base) const {
    if (base < 2 || base > 36) throw TTelvaException("unsupported base " + std::to_string(base));
    if (null_) throw TTelvaException("a null value has no text");
    if (array_) {
        // The same joined form in which the plug-in hands arrays over.
        std::string joined;
        for (std::size_t i = 0; i < elements_.size(); ++i) {
            if (i != 0) joined += ',';
            joined += elements_[i].ToString(base);
        }
        return joined;
    }
    if (type_.GetKind() == TCIMType::kReference) return reference_.ToString();
    if (base == 10 || !telva_host::IsIntegerKind(type_.GetKind())) return text_;
    if (!text_.empty() && text_[0] == '-') {
        const std::uint64_t magnitude = 0 - static_cast<std::uint64_t>(telva_host::SignedValue(text_));
        return "-" + MagnitudeInBase(magnitude, base);
    }
    return MagnitudeInBase(telva_host::UnsignedValue(text_), base);
}

}  // namespace NTELVA20
