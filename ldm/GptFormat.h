// The GUID partition table as the dynamic-disk reader and the image writer
// use it: the shared decoder (platform/GptTable.h) and the partition types of
// dynamic disks.
#ifndef STRATA_LDM_GPTFORMAT_H
#define STRATA_LDM_GPTFORMAT_H

#include "platform/GptTable.h"
#include "platform/win32.h"

#include <cstddef>
#include <cstdint>

namespace strata_col {
namespace gpt_layout {

using namespace disk_format;

// ---- Partition types ---------------------------------------------------------
// The dynamic-disk database; its last sector holds the private header.
const GUID kLdmMetadataType = {0x5808C8AA, 0x7E8F, 0x42E0,
                               {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}};
// The data region of a dynamic disk.
const GUID kLdmDataType = {0xAF9B60A0, 0x1431, 0x4F62,
                           {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}};
const GUID kMicrosoftReservedType = {0xE3C9E316, 0x0B5C, 0x4DB8,
                                     {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};

}  // namespace gpt_layout
}  // namespace strata_col

#endif
