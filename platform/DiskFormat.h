// The partition-table formats every part of the repository reads or writes:
// the MBR, the GUID partition table and its CRC32. The plug-in reads them,
// the simulated machine lays drives out from them, the image writer and the
// tests write them; all take the offsets from here. Numbers are
// little-endian; a GUID is stored with its first three fields little-endian
// and its last eight bytes in text order.
#ifndef STRATA_PLATFORM_DISKFORMAT_H
#define STRATA_PLATFORM_DISKFORMAT_H

#include <cstddef>
#include <cstdint>

namespace disk_format {

// ---- MBR: sector 0, and each boot record of an extended chain --------------
const std::size_t kMbrDiskSignatureOffset = 440;   // 32-bit
const std::size_t kMbrPartitionTableOffset = 446;
const std::size_t kMbrEntrySize = 16;
const std::size_t kMbrEntryCount = 4;
const std::size_t kMbrEntryBootFlagOffset = 0;
const std::size_t kMbrEntryTypeOffset = 4;
const std::size_t kMbrEntryFirstSectorOffset = 8;  // 32-bit
const std::size_t kMbrEntrySectorCountOffset = 12; // 32-bit
const std::size_t kMbrBootSignatureOffset = 510;
const unsigned char kMbrBootSignature0 = 0x55;
const unsigned char kMbrBootSignature1 = 0xAA;
const std::uint16_t kMbrBootSignature = 0xAA55;    // the two bytes, little-endian
// The one MBR partition of a GPT disk covers the whole disk with this type.
const unsigned char kProtectivePartitionType = 0xEE;

// ---- GPT header: LBA 1, its backup in the drive's last sector ---------------
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

// ---- GPT partition entries -----------------------------------------------------
const std::size_t kEntryTypeGuidOffset = 0x00;    // 16 bytes; all zero: unused
const std::size_t kEntryUniqueGuidOffset = 0x10;  // 16 bytes
const std::size_t kEntryFirstLbaOffset = 0x20;    // 64-bit
const std::size_t kEntryLastLbaOffset = 0x28;     // 64-bit, inclusive
const std::size_t kEntryAttributesOffset = 0x30;  // 64-bit
const std::size_t kEntryNameOffset = 0x38;        // UTF-16LE
const std::size_t kEntryNameUnits = 36;
const std::uint32_t kEntryMinSize = 128;
const std::uint32_t kEntrySizeMultiple = 8;

// GUID field widths and offsets within its 16 bytes.
const std::size_t kGuidSize = 16;
const std::size_t kGuidData2Offset = 4;
const std::size_t kGuidData3Offset = 6;
const std::size_t kGuidData4Offset = 8;

// The CRC32 of the GPT header and entry array (platform/DiskFormat.cpp).
std::uint32_t Crc32(const unsigned char* data, std::size_t size);

}  // namespace disk_format

#endif
