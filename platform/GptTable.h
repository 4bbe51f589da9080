// Decoding the GUID partition table from its bytes: the header (at LBA 1 or
// its backup in the drive's last sector) and the entries of its array. The
// plug-in's dynamic-disk reader and the simulated machine's layout decoder
// read GPTs with these; each reads the sectors its own way.
#ifndef STRATA_PLATFORM_GPTTABLE_H
#define STRATA_PLATFORM_GPTTABLE_H

#include "platform/ByteView.h"
#include "platform/DiskFormat.h"
#include "platform/win32.h"

#include <cstddef>
#include <cstdint>

namespace disk_format {

// Windows writes 128 entries of 128 bytes; an array claimed larger than this
// is taken as damage, never read.
const std::uint64_t kMaxEntryArrayBytes = 1u << 20;

// A GUID as stored on disk: the first three fields little-endian, the last
// eight bytes in text order. False when it does not fit the bytes.
bool ReadDiskGuid(const ByteView& bytes, std::size_t offset, GUID& guid);

struct GptHeader {
    std::uint64_t alternateLba = 0;
    std::uint64_t firstUsableLba = 0;
    std::uint64_t lastUsableLba = 0;
    GUID diskId = {};
    std::uint64_t entriesLba = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entriesCrc = 0;

    std::uint64_t EntryArrayBytes() const { return static_cast<std::uint64_t>(entryCount) * entrySize; }
};

// Why a header sector is not a usable GPT header.
enum class GptHeaderProblem {
    kNone,
    kNoSignature,      // no "EFI PART"
    kImpossibleSize,   // a header size below the minimum or beyond its sector
    kFailsCrc,         // the header's CRC32 does not match
    kNotItsPosition,   // it does not say it lies where it was read
    kImpossibleArray,  // an entry size or count no table has
};

// Decodes the header read from `lba`; the fields are set only when usable.
GptHeaderProblem DecodeGptHeader(const ByteView& sector, std::uint64_t lba, GptHeader& header);

// True when the entry array's bytes carry the CRC32 its header names.
bool EntryArrayMatches(const ByteView& array, const GptHeader& header);

struct GptEntry {
    GUID type = {};  // all zero: an unused slot
    GUID id = {};
    std::uint64_t firstLba = 0;
    std::uint64_t lastLba = 0;  // inclusive
    std::uint64_t attributes = 0;
    ByteView name{nullptr, 0};  // UTF-16LE units
};

// Entry `index` of an array of `entrySize`-byte entries; false when it does
// not fit the bytes.
bool DecodeGptEntry(const ByteView& array, std::uint32_t index, std::uint32_t entrySize, GptEntry& entry);

}  // namespace disk_format

#endif
