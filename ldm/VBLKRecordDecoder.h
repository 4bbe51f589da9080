// Decodes one 128-byte VBLK block into a record map by its record type.
#ifndef STRATA_LDM_VBLKRECORDDECODER_H
#define STRATA_LDM_VBLKRECORDDECODER_H

#include "ldm/LDMDataBase.h"
#include "ldm/VBLKFieldReader.h"

#include <cstddef>
#include <string>

namespace strata_col {

enum class VBLKRecordKind { None, Volume, Component, Partition, Disk, DiskGroup };

// The record kind of a block's type byte; None for any other value.
VBLKRecordKind KindOfType(unsigned char type);

struct DecodedRecord {
    VBLKRecordKind kind = VBLKRecordKind::None;
    RecordMap fields;
    // Disk records: the GUID text the disk-name index keeps (version 3: the
    // DiskID text, version 4: the 32 hex digits of the first GUID); empty
    // when the record did not carry it.
    std::string nameIndexGuid;
};

class VBLKRecordDecoder {
public:
    // With `keepLayoutFields`, components also keep StripeSize and Columns
    // and partitions their ColumnIndex (absent for column 0): what reading a
    // striped or RAID-5 volume's data needs. The plug-in reports neither and
    // decodes without them.
    explicit VBLKRecordDecoder(bool keepLayoutFields = false) : keepLayoutFields_(keepLayoutFields) {}
    virtual ~VBLKRecordDecoder() {}

    // Decodes the block (`size` bytes, the VBLK size). A type byte that is
    // none of the seven record kinds gives kind None and no fields.
    DecodedRecord Decode(const unsigned char* block, std::size_t size);

private:
    bool keepLayoutFields_;
    FieldOrders orders_;
};

}  // namespace strata_col

#endif
