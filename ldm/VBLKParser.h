// Finds the VBLK blocks of one disk's database area and files their records.
#ifndef STRATA_LDM_VBLKPARSER_H
#define STRATA_LDM_VBLKPARSER_H

#include "ldm/LDMDataBase.h"
#include "ldm/VBLKRecordDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace strata_col {

class VBLKParser {
public:
    VBLKParser();
    virtual ~VBLKParser() {}

    // `database` holds `size` bytes: the whole configuration area. Blocks are
    // searched from 512 bytes after `vmdbOffset` to the end of the area.
    LDMDataBase Parse(const unsigned char* database, std::uint32_t vmdbOffset, std::size_t size);

private:
    void File(DecodedRecord&& record);

    LDMDataBase database_;
    std::vector<unsigned char> block_;
    VBLKRecordDecoder decoder_;
};

}  // namespace strata_col

#endif
