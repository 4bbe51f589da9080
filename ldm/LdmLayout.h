// Byte layout of the Logical Disk Manager structures that the reader decodes
// and the image writer produces. Numbers in the private header and the table
// of contents are big-endian; VBLK numbers stay as the bytes they are.
#ifndef STRATA_LDM_LDMLAYOUT_H
#define STRATA_LDM_LDMLAYOUT_H

#include <cstddef>
#include <cstdint>

namespace strata_col {
namespace ldm_layout {

// ---- PRIVHEAD: one sector at sector 6 of the drive -------------------------
const std::uint32_t kPrivHeadSector = 6;
const std::size_t kPrivHeadSize = 512;  // only the first 512 bytes are used
const char kPrivHeadMagic[] = "PRIVHEAD";
const std::size_t kPrivHeadMagicOffset = 0x000;
const std::size_t kPrivHeadMagicSize = 8;
const std::size_t kPrivHeadChecksumOffset = 0x008;
const std::size_t kPrivHeadVersionMajorOffset = 0x00C;  // 16-bit
const std::size_t kPrivHeadVersionMinorOffset = 0x00E;  // 16-bit
const std::size_t kPrivHeadTimestampOffset = 0x010;
const std::size_t kPrivHeadSequenceOffset = 0x018;
const std::size_t kPrivHeadPrimaryLbaOffset = 0x020;
const std::size_t kPrivHeadSecondaryLbaOffset = 0x028;
const std::size_t kDiskGuidOffset = 0x030;
const std::size_t kDiskGuidSize = 64;
const std::size_t kHostGuidOffset = 0x070;
const std::size_t kHostGuidSize = 64;
const std::size_t kGroupGuidOffset = 0x0B0;
const std::size_t kGroupGuidSize = 64;
const std::size_t kGroupNameOffset = 0x0F0;
const std::size_t kGroupNameSize = 32;
const std::size_t kLogicalDiskStartOffset = 0x11B;  // 64-bit, sectors
const std::size_t kLogicalDiskSizeOffset = 0x123;   // 64-bit, sectors
const std::size_t kConfigStartOffset = 0x12B;       // 64-bit, sectors
const std::size_t kConfigSizeOffset = 0x133;        // 64-bit, sectors
const std::size_t kTocCountOffset = 0x13B;          // 64-bit
const std::size_t kTocSizeOffset = 0x143;           // 64-bit, sectors
const std::size_t kConfigCountOffset = 0x14B;       // 32-bit
const std::size_t kLogCountOffset = 0x14F;          // 32-bit
const std::size_t kConfigRegionSizeOffset = 0x153;  // 64-bit, sectors
const std::size_t kLogSizeOffset = 0x15B;           // 64-bit, sectors
const std::size_t kDiskSignatureOffset = 0x163;     // 32-bit
const std::size_t kDiskSetGuidOffset = 0x167;       // 16 bytes
const std::size_t kDiskSetGuidDupOffset = 0x177;    // 16 bytes

// ---- TOCBLOCK: the second sector of the database area ----------------------
const char kTocMagic[] = "TOCBLOCK";
const std::size_t kTocMagicOffset = 0x000;
const std::size_t kTocChecksumOffset = 0x008;        // 32-bit
const std::size_t kTocSequenceOffset = 0x00C;        // 64-bit
const std::size_t kTocConfigNameOffset = 0x024;      // 8 bytes, "config"
const std::size_t kTocConfigFlagsOffset = 0x02C;     // 16-bit
const std::size_t kTocConfigStartOffset = 0x02E;     // 64-bit, sectors from the area start
const std::size_t kTocConfigRegionLowOffset = 0x032; // low half of the config start
const std::size_t kTocConfigSizeOffset = 0x036;      // 64-bit, sectors
const std::size_t kTocLogNameOffset = 0x046;         // 8 bytes, "log"
const std::size_t kTocLogFlagsOffset = 0x04E;        // 16-bit
const std::size_t kTocLogStartOffset = 0x050;        // 64-bit, sectors
const std::size_t kTocLogSizeOffset = 0x058;         // 64-bit, sectors
// The configuration start is counted in units of 512 bytes, whatever the
// drive's sector size.
const std::uint32_t kTocConfigStartUnit = 512;

// ---- VMDB: the database header, 512 bytes at the configuration start -------
const std::size_t kVmdbSize = 512;
const char kVmdbMagic[] = "VMDB";
const std::size_t kVmdbMagicOffset = 0x00;
const std::size_t kVmdbLastSequenceOffset = 0x04;  // 32-bit
const std::size_t kVmdbVblkSizeOffset = 0x08;      // 32-bit
const std::size_t kVmdbFirstVblkOffset = 0x0C;     // 32-bit
const std::size_t kVmdbUpdateStatusOffset = 0x10;  // 16-bit
const std::size_t kVmdbVersionMajorOffset = 0x12;  // 16-bit
const std::size_t kVmdbVersionMinorOffset = 0x14;  // 16-bit
const std::size_t kVmdbGroupNameOffset = 0x16;     // 31 bytes
const std::size_t kVmdbGroupGuidOffset = 0x35;     // 64 bytes
const std::size_t kVmdbCommittedSeqOffset = 0x75;     // 64-bit
const std::size_t kVmdbPendingSeqOffset = 0x7D;       // 64-bit
// Record counts, 4 × 32-bit each: volumes, components, partitions, disks.
const std::size_t kVmdbCommittedCountsOffset = 0x85;
const std::size_t kVmdbPendingCountsOffset = 0xA1;
const std::size_t kVmdbTimestampOffset = 0xBD;        // 64-bit

// ---- VBLK: 128-byte database record blocks ---------------------------------
const std::size_t kVblkSize = 128;
// Blocks are searched for in a window of kVblkSize offsets; after a block the
// next window starts this far beyond the block's first byte. A step shorter
// than a block is deliberate: packed blocks are then found 32 bytes into the
// window, and a damaged area yields the same blocks as it does on Windows.
// A larger step would skip blocks; do not "round" it to kVblkSize.
const std::size_t kVblkSearchStep = 96;
const char kVblkMagic[] = "VBLK";
const std::size_t kVblkMagicOffset = 0x00;
const std::size_t kVblkMagicSize = 4;
const std::size_t kVblkSequenceOffset = 0x04;      // 32-bit
const std::size_t kVblkGroupOffset = 0x08;         // 32-bit
const std::size_t kVblkRecordIndexOffset = 0x0C;   // 16-bit
const std::size_t kVblkRecordCountOffset = 0x0E;   // 16-bit
const std::size_t kVblkUpdateStatusOffset = 0x10;  // 16-bit, first byte stored
const std::size_t kVblkFlagsOffset = 0x12;
const std::size_t kVblkTypeOffset = 0x13;
const std::size_t kVblkDataLengthOffset = 0x14;    // 32-bit
const std::size_t kVblkBodyOffset = 0x18;

// Record type bytes: high nibble version, low nibble kind.
const unsigned char kTypeVolume = 0x51;
const unsigned char kTypeComponent = 0x32;
const unsigned char kTypePartition = 0x33;
const unsigned char kTypeDiskV3 = 0x34;
const unsigned char kTypeDiskV4 = 0x44;
const unsigned char kTypeDiskGroupV3 = 0x35;
const unsigned char kTypeDiskGroupV4 = 0x45;

// Flag bits of the VBLK flags byte that announce optional fields.
const unsigned char kFlagVolumeId1 = 0x08;
const unsigned char kFlagVolumeId2 = 0x20;
const unsigned char kFlagVolumeChildSize = 0x80;
const unsigned char kFlagVolumeDriveHint = 0x02;
const unsigned char kFlagComponentStripe = 0x10;
const unsigned char kFlagPartitionIndex = 0x08;

// Widths of the fixed-size record fields, in bytes.
const std::size_t kFieldLogCommitId = 8;   // a transaction number
const std::size_t kFieldSectorNumber = 8;  // a partition's Start and VolumeOffset
const std::size_t kFieldGuid = 16;         // a GUID of version-4 records
const std::size_t kFieldVolumeState = 14;  // text
const std::size_t kFieldDiskNumber = 2;    // a version-4 disk's ID
// Widths of the record fields no reader keeps.
const std::size_t kSkippedFlags = 4;       // several records' flags words
const std::size_t kSkippedVolumeNumberPad = 3;
const std::size_t kSkippedDiskV4Pad = 3;
const std::size_t kSkippedComponentLog = 8;
const std::size_t kSkippedComponentStripePad = 1;  // a zero byte before the stripe size

}  // namespace ldm_layout
}  // namespace strata_col

#endif
