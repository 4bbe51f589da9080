// Reads the fields of one 128-byte VBLK block with a running position.
//
// Every field is turned into text: numbers as lowercase hex digits of their
// bytes in stored order, texts as their characters up to the first zero byte.
// A field whose bytes would reach past the block is not read; from then on
// the reader is exhausted and every later read fails too, so the record ends
// with the fields read before it.
#ifndef STRATA_LDM_VBLKFIELDREADER_H
#define STRATA_LDM_VBLKFIELDREADER_H

#include "ldm/LDMDataBase.h"

#include <cstddef>
#include <string>

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

// Reads fields into a record's fields, in the order read (the decoder puts
// them in key order once the record is complete): each call reads one field
// and stores it under its key; a field that cannot be read stores nothing.
class VBLKRecordReader {
public:
    VBLKRecordReader(VBLKFieldReader& fields, RecordMap::sequence_type& record)
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
    RecordMap::sequence_type& record_;
};

}  // namespace strata_col

#endif
