#include "tools/strata-ldm/DatabaseDiagnosis.h"

#include "collect/TextConversions.h"
#include "ldm/BigEndian.h"
#include "ldm/DriveSectors.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "ldm/PrivateHeader.h"
#include "ldm/VBLKParser.h"
#include "ldm/VBLKRecordDecoder.h"
#include "tools/strata-ldm/OpenDrive.h"

#include <limits>
#include <map>
#include <set>

namespace strata_tools {

using namespace strata_col;
using namespace strata_col::ldm_layout;

namespace {

std::string Sectors(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " sector" : " sectors"); }

// How many records of `table` name, under `key`, no record of `named`.
std::size_t Dangling(const RecordTable& table, const char* key, const RecordTable& named) {
    std::size_t count = 0;
    for (const auto& entry : table) {
        const RecordMap::const_iterator reference = entry.second.find(key);
        if (reference == entry.second.end() || named.count(reference->second) == 0) ++count;
    }
    return count;
}

}  // namespace

std::size_t RecordCount(const LDMDataBase& database) {
    return database.volumes.size() + database.components.size() + database.partitions.size() +
           database.disks.size() + database.diskGroups.size();
}

std::string WhyNoDatabase(RawDiskAccess& access, const std::string& path) {
    const OpenDrive open(access, path);
    if (open.file() < 0) return "cannot be opened";
    if (open.drive().bytesPerSector == 0) return "its sector size is not available";
    return "no private header (PRIVHEAD) at sector 6 nor at the end of an LDM metadata partition: a basic disk, "
           "or sectors of another size than " +
           std::to_string(open.drive().bytesPerSector) + " bytes";
}

std::string WhyEmpty(RawDiskAccess& access, const std::string& path) {
    const OpenDrive open(access, path);
    const std::uint32_t sectorSize = open.drive().bytesPerSector;
    std::vector<unsigned char> bytes;
    PrivateHeader header;
    if (open.file() < 0 || sectorSize == 0 ||
        !LDMDBParser(access).ReadPrivateHeader(open.file(), bytes, sectorSize, open.drive().length) ||
        !DecodePrivateHeader(bytes, header)) {
        return "its private header can no longer be read";
    }
    const std::uint64_t driveSectors = open.drive().length / sectorSize;
    if (header.configSize == 0) return "its private header gives a database area of 0 sectors";
    if (header.configStart >= driveSectors || header.configSize > driveSectors - header.configStart) {
        return "its database area (" + Sectors(header.configSize) + " from sector " +
               std::to_string(header.configStart) + ") lies outside the drive (" + Sectors(driveSectors) + ")";
    }
    const std::uint64_t areaBytes = header.configSize * sectorSize;
    if (areaBytes > LDMDBParser::kMaxDatabaseAreaBytes) {
        return "its database area of " + std::to_string(areaBytes) + " bytes is larger than the " +
               std::to_string(LDMDBParser::kMaxDatabaseAreaBytes >> 20) + " MiB a database area is read up to";
    }
    // The table of contents is the area's second sector.
    std::vector<unsigned char> toc(sectorSize, 0);
    if (!access.Seek(open.file(), (header.configStart + 1) * sectorSize) ||
        access.Read(open.file(), toc.data(), sectorSize) < static_cast<long>(sectorSize)) {
        return "its database area cannot be read";
    }
    std::uint32_t configStart = 0;
    ReadBigEndian32(toc.data(), toc.size(), kTocConfigRegionLowOffset, configStart);
    const std::uint32_t vmdb = configStart * kTocConfigStartUnit;  // as the reader computes it
    if (std::uint64_t(vmdb) + kVmdbSize >= areaBytes) {
        return "its table of contents puts the database header (VMDB) at byte " + std::to_string(vmdb) +
               ", past the end of the " + std::to_string(areaBytes) + "-byte database area";
    }
    return "no database records (VBLK blocks of a known type) after its database header (VMDB) at byte " +
           std::to_string(vmdb) + " of the database area";
}

BlockCensus CountBlocks(RawDiskAccess& access, const std::string& path) {
    const OpenDrive open(access, path);
    const std::uint32_t sectorSize = open.drive().bytesPerSector;
    LDMDBParser reader(access);
    std::vector<unsigned char> header;
    std::vector<unsigned char> area;
    std::uint32_t vmdb = 0;
    if (open.file() < 0 || sectorSize == 0 ||
        !reader.ReadPrivateHeader(open.file(), header, sectorSize, open.drive().length) ||
        !reader.ReadDatabaseArea(open.file(), header, sectorSize, open.drive().length, area, vmdb)) {
        return BlockCensus();
    }
    return CountBlocksIn(area, vmdb);
}

BlockCensus CountBlocksIn(const std::vector<unsigned char>& area, std::uint32_t vmdb) {
    BlockCensus census;
    std::string blocks;
    VBLKParser::FindBlocks(area.data(), vmdb, area.size(), blocks);
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(blocks.data());
    std::map<VBLKRecordKind, std::set<std::string>> seen;
    VBLKRecordDecoder decoder;
    for (std::size_t at = 0; at + kVblkSize <= blocks.size(); at += kVblkSize) {
        std::uint64_t blockCount = 0;
        if (ReadBigEndian(bytes + at, kVblkSize, kVblkRecordCountOffset, 2, blockCount) && blockCount > 1) {
            ++census.pieces;
            continue;
        }
        const DecodedRecord record = decoder.Decode(bytes + at, kVblkSize);
        const RecordMap::const_iterator id = record.fields.find("ObjectID");
        if (record.kind != VBLKRecordKind::None && id != record.fields.end() &&
            !seen[record.kind].insert(id->second).second) {
            ++census.repeated;
        }
    }
    return census;
}

std::string RepeatedIdsText(std::size_t repeated) {
    return std::to_string(repeated) + (repeated == 1 ? " record repeats" : " records repeat") +
           " the ObjectID of an earlier record of its kind and " + (repeated == 1 ? "is" : "are") + " left out";
}

std::vector<std::string> LeftOutBlocks(RawDiskAccess& access, const std::string& path) {
    const BlockCensus census = CountBlocks(access, path);
    const std::size_t pieces = census.pieces;
    const std::size_t repeated = census.repeated;
    std::vector<std::string> findings;
    if (pieces != 0) {
        findings.push_back(std::to_string(pieces) + (pieces == 1 ? " block is" : " blocks are") +
                           " part of a record longer than one block; each block is decoded on its own, "
                           "so such a record is cut short or left out (a name of more than about 60 "
                           "characters makes one)");
    }
    if (repeated != 0) findings.push_back(RepeatedIdsText(repeated));
    return findings;
}

std::vector<std::string> SectorFieldsBeyond64Bits(RawDiskAccess& access, const std::string& path,
                                                  const LDMDataBase& database) {
    // The plug-in's own conversion decides what is left out.
    const DriveSectors units(access.QueryDrive(path).bytesPerSector);
    std::vector<std::string> findings;
    if (!units.Known()) return findings;
    const struct {
        const RecordTable& table;
        const char* kind;
        const char* field;
        const char* property;
    } fields[] = {
        {database.partitions, "partition", "Start", "StartingOffset"},
        {database.partitions, "partition", "Size", "Size"},
        {database.volumes, "volume", "Size", "TotalSpace"},
    };
    for (const auto& field : fields) {
        for (const auto& record : field.table) {
            const RecordMap::const_iterator value = record.second.find(field.field);
            if (value == record.second.end()) continue;
            const std::uint64_t sectors = HexTextToNumber(value->second);
            std::uint64_t bytes = 0;
            if (units.ToBytes(sectors, bytes)) continue;
            findings.push_back(std::string(field.kind) + " record " + record.first + ": its " + field.field + " of " +
                               std::to_string(sectors) + " sectors passes 64 bits of bytes, so " + field.property +
                               " is left out");
        }
    }
    return findings;
}

std::vector<std::string> MissingRecords(const std::string& diskGuid, const LDMDataBase& database) {
    std::vector<std::string> missing;
    if (database.diskGroups.empty()) missing.push_back("no disk-group record");
    const std::string own = NormalizedGuid(diskGuid);
    bool ownDisk = false;
    for (const auto& entry : database.diskGuidByName) ownDisk = ownDisk || NormalizedGuid(entry.second) == own;
    if (!ownDisk) missing.push_back("no disk record of this disk (" + diskGuid + ")");
    const struct {
        const RecordTable& table;
        const char* kind;
        const char* key;
        const RecordTable& named;
        const char* namedKind;
    } references[] = {
        {database.components, "component", "ParentID", database.volumes, "volume"},
        {database.partitions, "partition", "ParentID", database.components, "component"},
        {database.partitions, "partition", "DiskID", database.disks, "disk"},
    };
    for (const auto& reference : references) {
        const std::size_t count = Dangling(reference.table, reference.key, reference.named);
        if (count != 0) {
            missing.push_back(std::to_string(count) + " " + reference.kind + " record" + (count == 1 ? "" : "s") +
                              " name" + (count == 1 ? "s" : "") + " a " + reference.namedKind +
                              " record that is missing");
        }
    }
    return missing;
}

}  // namespace strata_tools
