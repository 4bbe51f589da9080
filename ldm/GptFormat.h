// Byte layout of the GUID partition table (protective MBR, header, entry
// array) as far as the dynamic-disk reader and the image writer use it.
// Numbers are little-endian; a GUID is stored with its first three fields
// little-endian and its last eight bytes in text order.
#ifndef STRATA_LDM_GPTFORMAT_H
#define STRATA_LDM_GPTFORMAT_H

#include "platform/win32.h"

#include <cstddef>
#include <cstdint>

namespace strata_col {
namespace gpt_layout {

// ---- Protective MBR: sector 0 ----------------------------------------------
const std::size_t kMbrPartitionTableOffset = 446;
const std::size_t kMbrEntrySize = 16;
const std::size_t kMbrEntryCount = 4;
const std::size_t kMbrEntryTypeOffset = 4;
const std::size_t kMbrEntryFirstSectorOffset = 8;  // 32-bit
const std::size_t kMbrEntrySectorCountOffset = 12; // 32-bit
const std::size_t kMbrBootSignatureOffset = 510;
const unsigned char kMbrBootSignature0 = 0x55;
const unsigned char kMbrBootSignature1 = 0xAA;
// The one MBR partition of a GPT disk covers the whole disk with this type.
const unsigned char kProtectivePartitionType = 0xEE;

// ---- Header: LBA 1, its backup in the drive's last sector -------------------
const std::uint64_t kPrimaryHeaderLba = 1;
const char kHeaderSignature[] = "EFI PART";
const std::size_t kHeaderSignatureOffset = 0x00;
const std::size_t kHeaderSignatureSize = 8;
const std::size_t kHeaderRevisionOffset = 0x08;        // 32-bit
const std::size_t kHeaderSizeOffset = 0x0C;            // 32-bit, bytes
const std::size_t kHeaderCrcOffset = 0x10;             // CRC32 of the header, this field as zero
const std::size_t kHeaderMyLbaOffset = 0x18;           // 64-bit
const std::size_t kHeaderAlternateLbaOffset = 0x20;    // 64-bit
const std::size_t kHeaderFirstUsableLbaOffset = 0x28;  // 64-bit
const std::size_t kHeaderLastUsableLbaOffset = 0x30;   // 64-bit
const std::size_t kHeaderDiskGuidOffset = 0x38;        // 16 bytes
const std::size_t kHeaderEntriesLbaOffset = 0x48;      // 64-bit
const std::size_t kHeaderEntryCountOffset = 0x50;      // 32-bit
const std::size_t kHeaderEntrySizeOffset = 0x54;       // 32-bit, bytes
const std::size_t kHeaderEntriesCrcOffset = 0x58;      // CRC32 of the entry array
const std::uint32_t kHeaderMinSize = 92;
const std::uint32_t kRevision1 = 0x00010000;

// ---- Partition entries -------------------------------------------------------
const std::size_t kEntryTypeGuidOffset = 0x00;    // 16 bytes; all zero: unused
const std::size_t kEntryUniqueGuidOffset = 0x10;  // 16 bytes
const std::size_t kEntryFirstLbaOffset = 0x20;    // 64-bit
const std::size_t kEntryLastLbaOffset = 0x28;     // 64-bit, inclusive
const std::size_t kEntryAttributesOffset = 0x30;  // 64-bit
const std::size_t kEntryNameOffset = 0x38;        // UTF-16LE
const std::size_t kEntryNameUnits = 36;
const std::uint32_t kEntryMinSize = 128;
const std::uint32_t kEntrySizeMultiple = 8;
// Windows writes 128 entries of 128 bytes; an array claimed larger than this
// is taken as damage, never allocated.
const std::uint64_t kMaxEntryArrayBytes = 1u << 20;

// GUID field widths and offsets within its 16 bytes.
const std::size_t kGuidSize = 16;
const std::size_t kGuidData2Offset = 4;
const std::size_t kGuidData3Offset = 6;
const std::size_t kGuidData4Offset = 8;

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
