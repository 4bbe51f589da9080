#include "ldm/VBLKFieldReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace strata_col {

namespace {
const char kHexDigits[] = "0123456789abcdef";

void AppendHex(unsigned char byte, std::string& text) {
    text.push_back(kHexDigits[byte >> 4]);
    text.push_back(kHexDigits[byte & 0x0F]);
}
}  // namespace

void ReadFields::Add(const char* key, std::string&& value) {
    // Every layout stores fewer fields than there is room for.
    if (count_ == kMostRecordFields) return;
    keys_[count_] = key;
    values_[count_] = std::move(value);
    ++count_;
}

RecordMap ReadFields::Sorted(FieldOrders& orders) {
    const FieldOrder& order = orders.Of(keys_, count_);
    RecordMap::sequence_type fields;
    fields.reserve(order.count);
    for (std::size_t i = 0; i < order.count; ++i) {
        const std::size_t at = order.at[i];
        fields.emplace_back(keys_[at], std::move(values_[at]));
    }
    RecordMap record;
    record.adopt_sequence(boost::container::ordered_unique_range, std::move(fields));
    return record;
}

const FieldOrder& FieldOrders::Of(const std::array<const char*, kMostRecordFields>& keys,
                                  std::size_t count) {
    for (const Known& known : known_) {
        if (known.keyCount == count && std::equal(keys.begin(), keys.begin() + count, known.keys.begin())) {
            return known.order;
        }
    }
    // Stable insertion sort of positions by key text: a dozen fields.
    std::array<unsigned char, kMostRecordFields> sorted;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t j = i;
        for (; j > 0 && std::strcmp(keys[i], keys[sorted[j - 1]]) < 0; --j) sorted[j] = sorted[j - 1];
        sorted[j] = static_cast<unsigned char>(i);
    }
    Known fresh;
    fresh.keys = keys;
    fresh.keyCount = count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = sorted[i];
        if (i > 0 && std::strcmp(keys[at], keys[sorted[i - 1]]) == 0) continue;
        fresh.order.at[fresh.order.count++] = static_cast<unsigned char>(at);
    }
    if (known_.size() < kMostKnown) {
        known_.push_back(fresh);
        return known_.back().order;
    }
    Known& replaced = known_[nextReplaced_];
    nextReplaced_ = (nextReplaced_ + 1) % kMostKnown;
    replaced = fresh;
    return replaced.order;
}

VBLKFieldReader::VBLKFieldReader(const unsigned char* block, std::size_t size, int position)
    : block_(block), size_(size), position_(position), exhausted_(position < 0) {}

bool VBLKFieldReader::Take(std::size_t length) {
    if (exhausted_ || static_cast<std::size_t>(position_) > size_ ||
        length > size_ - static_cast<std::size_t>(position_)) {
        exhausted_ = true;
        return false;
    }
    return true;
}

bool VBLKFieldReader::ReadByte(std::string& text, int advance) {
    if (!Take(advance > 1 ? static_cast<std::size_t>(advance) : 1)) {
        return false;
    }
    text.clear();
    AppendHex(block_[position_], text);
    position_ += advance;
    return true;
}

bool VBLKFieldReader::ReadFixed(std::size_t length, bool isText, std::string& text) {
    if (!Take(length)) {
        return false;
    }
    const unsigned char* bytes = block_ + position_;
    if (isText) {
        const void* zero = std::memchr(bytes, 0, length);
        const std::size_t kept =
            zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - bytes) : length;
        text.assign(reinterpret_cast<const char*>(bytes), kept);
    } else {
        text.resize(2 * length);
        for (std::size_t i = 0; i < length; ++i) {
            text[2 * i] = kHexDigits[bytes[i] >> 4];
            text[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
        }
    }
    position_ += static_cast<int>(length);
    return true;
}

bool VBLKFieldReader::ReadVar(bool isText, std::string& text) {
    if (!Take(1)) {
        return false;
    }
    const std::size_t length = block_[position_];
    // The length byte and its bytes are one field: both must fit.
    if (!Take(1 + length)) {
        return false;
    }
    position_ += 1;
    return ReadFixed(length, isText, text);
}

bool VBLKFieldReader::Skip(std::size_t length) {
    if (!Take(length)) {
        return false;
    }
    position_ += static_cast<int>(length);
    return true;
}

bool VBLKRecordReader::Store(const char* key, bool ok, std::string& text) {
    if (ok) {
        record_.Add(key, std::move(text));
    }
    return ok;
}

bool VBLKRecordReader::Byte(const char* key) {
    std::string text;
    return Store(key, fields_.ReadByte(text), text);
}

bool VBLKRecordReader::FixedNumber(const char* key, std::size_t length) {
    std::string text;
    return Store(key, fields_.ReadFixed(length, false, text), text);
}

bool VBLKRecordReader::FixedText(const char* key, std::size_t length) {
    std::string text;
    return Store(key, fields_.ReadFixed(length, true, text), text);
}

bool VBLKRecordReader::VarNumber(const char* key) {
    std::string text;
    return Store(key, fields_.ReadVar(false, text), text);
}

bool VBLKRecordReader::VarText(const char* key) {
    std::string text;
    return Store(key, fields_.ReadVar(true, text), text);
}

bool VBLKRecordReader::DropByte() {
    std::string text;
    return fields_.ReadByte(text);
}

bool VBLKRecordReader::DropVarNumber() {
    std::string text;
    return fields_.ReadVar(false, text);
}

}  // namespace strata_col

