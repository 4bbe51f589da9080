// Reads the fields of one 128-byte VBLK block with a running position.
//
// Every field is turned into text: numbers as lowercase hex digits of their
// bytes in stored order, texts as their characters up to the first zero byte.
// A field whose bytes would reach past the block is not read; from then on
// the reader is exhausted and every later read fails too, so the record ends
// with the fields read before it. The bound is deliberate: a record that
// Windows continues in further blocks (record count above 1) is decoded from
// its first block alone, as the system always has; reading on would take the
// next block's header for record data.
#ifndef STRATA_LDM_VBLKFIELDREADER_H
#define STRATA_LDM_VBLKFIELDREADER_H

#include "ldm/LDMDataBase.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace strata_col {

class VBLKFieldReader {
public:
    // `block` must hold `size` bytes (the VBLK size) for the reader's life.
    VBLKFieldReader(const unsigned char* block, std::size_t size, int position);
    virtual ~VBLKFieldReader() {}

    // One byte as two hex digits, then the position advances by `advance`.
    bool ReadByte(std::string& text, int advance = 1);
    // `length` bytes as hex digits (isText false) or as text (isText true).
    bool ReadFixed(std::size_t length, bool isText, std::string& text);
    // A length byte L, then L bytes as ReadFixed.
    bool ReadVar(bool isText, std::string& text);
    bool Skip(std::size_t length);

    int Position() const { return position_; }
    bool Exhausted() const { return exhausted_; }

private:
    bool Take(std::size_t length);

    const unsigned char* block_;
    std::size_t size_;
    int position_;
    bool exhausted_;
};

const std::size_t kMostRecordFields = 20;

// Where each field of a key sequence goes in its record: positions in key
// order, a repeated key only at its first place.
struct FieldOrder {
    std::array<unsigned char, kMostRecordFields> at;
    std::size_t count = 0;
};

// The orders of the key sequences seen so far. Decoders read every record of
// one kind and version with the same constant keys in the same order, so a
// sequence is sorted once and then found by comparing key pointers. Holds a
// bounded number of sequences.
class FieldOrders {
public:
    const FieldOrder& Of(const std::array<const char*, kMostRecordFields>& keys, std::size_t count);

private:
    struct Known {
        std::array<const char*, kMostRecordFields> keys;
        std::size_t keyCount;
        FieldOrder order;
    };
    static const std::size_t kMostKnown = 32;

    std::vector<Known> known_;
    std::size_t nextReplaced_ = 0;
};

// The fields of one record in the order read. Keys are the decoders' own
// constant texts; Sorted() hands the record over in key order, moving each
// value once.
class ReadFields {
public:
    void Add(const char* key, std::string&& value);
    // The record; of two fields with one key the first read is kept.
    RecordMap Sorted(FieldOrders& orders);

private:
    std::array<const char*, kMostRecordFields> keys_{};
    std::array<std::string, kMostRecordFields> values_;
    std::size_t count_ = 0;
};

// Reads fields into a record's fields: each call reads one field and stores
// it under its key; a field that cannot be read stores nothing.
class VBLKRecordReader {
public:
    VBLKRecordReader(VBLKFieldReader& fields, ReadFields& record)
        : fields_(fields), record_(record) {}
    virtual ~VBLKRecordReader() {}

    bool Byte(const char* key);
    bool FixedNumber(const char* key, std::size_t length);
    bool FixedText(const char* key, std::size_t length);
    bool VarNumber(const char* key);
    bool VarText(const char* key);
    bool Skip(std::size_t length) { return fields_.Skip(length); }
    // A field that is read and not kept.
    bool DropByte();
    bool DropVarNumber();

private:
    bool Store(const char* key, bool ok, std::string& text);

    VBLKFieldReader& fields_;
    ReadFields& record_;
};

}  // namespace strata_col

#endif
