// Finds the VBLK blocks of one disk's database area and files their records.
#ifndef STRATA_LDM_VBLKPARSER_H
#define STRATA_LDM_VBLKPARSER_H

#include "ldm/LDMDataBase.h"
#include "ldm/VBLKRecordDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace strata_col {

class VBLKParser {
public:
    // `keepLayoutFields` as VBLKRecordDecoder's.
    explicit VBLKParser(bool keepLayoutFields = false) : decoder_(keepLayoutFields) {}
    virtual ~VBLKParser() {}

    // `database` holds `size` bytes: the whole configuration area. Blocks are
    // searched from 512 bytes after `vmdbOffset` to the end of the area.
    LDMDataBase Parse(const unsigned char* database, std::uint32_t vmdbOffset, std::size_t size);

    // Sets `blocks` to the blocks the search finds that hold a record of one
    // of the seven kinds, each of the VBLK size, end to end in the order
    // found. They are all the decoding depends on: two areas with the same
    // blocks decode to the same database.
    static void FindBlocks(const unsigned char* database, std::uint32_t vmdbOffset,
                           std::size_t size, std::string& blocks);

    // Decodes blocks as FindBlocks gives them and files their records.
    LDMDataBase DecodeBlocks(const std::string& blocks);

private:
    void File(DecodedRecord&& record);

    LDMDataBase database_;
    VBLKRecordDecoder decoder_;
};

}  // namespace strata_col

#endif
