#include "ldm/VBLKParser.h"

#include "ldm/LdmLayout.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace strata_col {

using namespace ldm_layout;

namespace {

// Offset within [position, position + window) of the first "VBLK" whose four
// bytes lie in the area, or -1. memchr finds the candidate first bytes.
long FindMagic(const unsigned char* area, std::uint64_t size, std::uint64_t position,
               std::size_t window) {
    if (position >= size || size - position < kVblkMagicSize) {
        return -1;
    }
    // Starts at which all four bytes still lie in the area.
    const std::uint64_t lastStart = size - kVblkMagicSize;
    const std::uint64_t end = std::min<std::uint64_t>(position + window - 1, lastStart);
    const unsigned char* at = area + position;
    const unsigned char* const stop = area + end + 1;
    while (at < stop) {
        const void* hit = std::memchr(at, kVblkMagic[0], static_cast<std::size_t>(stop - at));
        if (hit == nullptr) {
            return -1;
        }
        at = static_cast<const unsigned char*>(hit);
        if (std::memcmp(at, kVblkMagic, kVblkMagicSize) == 0) {
            return static_cast<long>(at - (area + position));
        }
        ++at;
    }
    return -1;
}

}  // namespace

LDMDataBase VBLKParser::Parse(const unsigned char* database, std::uint32_t vmdbOffset,
                              std::size_t size) {
    std::string blocks;
    FindBlocks(database, vmdbOffset, size, blocks);
    return DecodeBlocks(blocks);
}

void VBLKParser::FindBlocks(const unsigned char* database, std::uint32_t vmdbOffset,
                            std::size_t size, std::string& blocks) {
    blocks.clear();
    const std::uint64_t end = size;
    std::uint64_t position = static_cast<std::uint64_t>(vmdbOffset) + kVmdbSize;
    while (database != nullptr && position < end) {
        const long found = FindMagic(database, end, position, kVblkSize);
        if (found < 0) {
            position += kVblkSearchStep;
            continue;
        }
        const std::uint64_t start = position + static_cast<std::uint64_t>(found);
        // A block is decoded only when at least one byte of the area follows
        // it; a block that ends exactly at the area's end ends the scan.
        if (start + kVblkSize >= end) {
            break;
        }
        // A block of no record kind decodes to nothing (Windows fills its
        // free slots with such blocks): it is left out.
        if (KindOfType(database[start + kVblkTypeOffset]) != VBLKRecordKind::None) {
            blocks.append(reinterpret_cast<const char*>(database + start), kVblkSize);
        }
        position = start + kVblkSearchStep;
    }
}

LDMDataBase VBLKParser::DecodeBlocks(const std::string& blocks) {
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(blocks.data());
    // Each block is decoded from its own 128 bytes: no byte of another block
    // can be read.
    for (std::size_t at = 0; at + kVblkSize <= blocks.size(); at += kVblkSize) {
        File(decoder_.Decode(bytes + at, kVblkSize));
    }
    // Handed out whole; the parser starts empty again.
    LDMDataBase decoded;
    std::swap(decoded, database_);
    return decoded;
}

void VBLKParser::File(DecodedRecord&& record) {
    RecordTable* table = nullptr;
    switch (record.kind) {
    case VBLKRecordKind::Volume: table = &database_.volumes; break;
    case VBLKRecordKind::Component: table = &database_.components; break;
    case VBLKRecordKind::Partition: table = &database_.partitions; break;
    case VBLKRecordKind::Disk: table = &database_.disks; break;
    case VBLKRecordKind::DiskGroup: table = &database_.diskGroups; break;
    case VBLKRecordKind::None: return;
    }
    const RecordMap::const_iterator id = record.fields.find("ObjectID");
    if (id == record.fields.end()) {
        return;  // its identifier did not fit in the block
    }
    if (record.kind == VBLKRecordKind::Disk) {
        const RecordMap::const_iterator name = record.fields.find("Name");
        if (name != record.fields.end() && !record.nameIndexGuid.empty()) {
            // An existing name keeps its first GUID.
            database_.diskGuidByName.insert(std::make_pair(name->second, record.nameIndexGuid));
        }
    }
    // The first record with an ObjectID stays; later ones are dropped.
    // Records come in ObjectID order as Windows writes them, so the place
    // after the last is tried first.
    const RecordTable::iterator last = table->empty() ? table->end() : std::prev(table->end());
    if (last != table->end() && last->first < id->second) {
        std::string key = id->second;
        table->emplace_hint(table->end(), std::move(key), std::move(record.fields));
    } else if (table->find(id->second) == table->end()) {
        std::string key = id->second;
        table->emplace(std::move(key), std::move(record.fields));
    }
}

}  // namespace strata_col
