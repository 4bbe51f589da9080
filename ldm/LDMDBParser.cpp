#include "ldm/LDMDBParser.h"

#include "ldm/BigEndian.h"
#include "ldm/GptFormat.h"
#include "ldm/GptPartitionReader.h"
#include "ldm/LdmLayout.h"
#include "ldm/VBLKParser.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace strata_col {

using namespace ldm_layout;

LDMDBParser::LDMDBParser(DatabaseCache* cache) : access_(platform_), cache_(cache) {}

LDMDBParser::LDMDBParser(RawDiskAccess& access, DatabaseCache* cache)
    : access_(access), cache_(cache) {}

bool LDMDBParser::ReadPrivateHeader(int file, std::vector<unsigned char>& header,
                                    std::uint32_t sectorSize, std::uint64_t driveLength) {
    header.assign(kPrivHeadSize, 0);
    if (file < 0 || sectorSize == 0) {
        return false;
    }
    if (ReadHeaderSector(file, kPrivHeadSector, header, sectorSize)) {
        return true;
    }
    // Windows puts a GPT disk's header at the end of its metadata partition.
    if (driveLength == 0) {
        driveLength = access_.EndOf(file);
    }
    SectorRange metadata;
    return GptPartitionReader(access_).FindPartition(file, sectorSize, driveLength,
                                                     gpt_layout::kLdmMetadataType, metadata) &&
           ReadHeaderSector(file, metadata.last, header, sectorSize);
}

bool LDMDBParser::ReadHeaderSector(int file, std::uint64_t sector,
                                   std::vector<unsigned char>& header, std::uint32_t sectorSize) {
    if (sector > std::numeric_limits<std::uint64_t>::max() / sectorSize) {
        return false;
    }
    std::vector<unsigned char> bytes(sectorSize, 0);
    if (!access_.Seek(file, sector * sectorSize)) {
        return false;
    }
    const long got = access_.Read(file, bytes.data(), sectorSize);
    if (got <= 0) {
        return false;
    }
    const std::size_t kept = std::min<std::size_t>(kPrivHeadSize, bytes.size());
    header.assign(kPrivHeadSize, 0);
    std::copy(bytes.begin(), bytes.begin() + kept, header.begin());
    return IsPrivateHeader(header);
}

void LDMDBParser::ReadRecordBlocks(int file, const std::vector<unsigned char>& header,
                                   std::uint32_t sectorSize, std::uint64_t driveLength,
                                   std::string& blocks) {
    std::uint32_t vmdbOffset = 0;
    if (!ReadDatabaseArea(file, header, sectorSize, driveLength, area_, vmdbOffset)) {
        blocks.clear();
        return;
    }
    VBLKParser::FindBlocks(area_.data(), vmdbOffset, area_.size(), blocks);
}

bool LDMDBParser::ReadDatabaseArea(int file, const std::vector<unsigned char>& header,
                                   std::uint32_t sectorSize, std::uint64_t driveLength,
                                   std::vector<unsigned char>& area, std::uint32_t& vmdbOffset) {
    PrivateHeader fields;
    if (file < 0 || sectorSize == 0 || !DecodePrivateHeader(header, fields)) {
        return false;
    }
    // The area must lie inside the drive and within the largest area
    // believed (which one 32-bit read also takes); a header that announces
    // more gives an empty database, never a huge allocation.
    const std::uint64_t maxSectors = std::numeric_limits<std::uint64_t>::max() / sectorSize;
    if (fields.configStart > maxSectors || fields.configSize > maxSectors) {
        return false;
    }
    const std::uint64_t offset = fields.configStart * sectorSize;
    const std::uint64_t count = fields.configSize * sectorSize;
    if (driveLength == 0) {
        driveLength = access_.EndOf(file);
    }
    if (count == 0 || count > kMaxDatabaseAreaBytes ||
        offset > driveLength || count > driveLength - offset) {
        return false;
    }

    area.resize(static_cast<std::size_t>(count));
    if (!access_.Seek(file, offset)) {
        return false;
    }
    const long got = access_.Read(file, area.data(), static_cast<std::uint32_t>(count));
    if (got <= 0) {
        return false;
    }
    // What a short read did not reach reads as zeros, as in a fresh buffer.
    if (static_cast<std::uint64_t>(got) < count) {
        std::fill(area.begin() + got, area.end(), 0);
    }
    // The table of contents is the area's second sector; the low half of its
    // configuration start, in 512-byte units, places the VMDB.
    std::uint32_t configStart = 0;
    if (!ReadBigEndian32(area.data(), area.size(),
                         static_cast<std::size_t>(sectorSize) + kTocConfigRegionLowOffset,
                         configStart)) {
        return false;
    }
    vmdbOffset = configStart * kTocConfigStartUnit;  // wraps like the format's 32-bit field
    return true;
}

bool LDMDBParser::ResolvePartitionDisk(const RecordTable& disks, const RecordMap& partition,
                                       std::pair<std::string, std::string>& result) {
    const RecordMap::const_iterator diskId = partition.find("DiskID");
    if (diskId == partition.end()) {
        return false;
    }
    const RecordTable::const_iterator disk = disks.find(diskId->second);
    if (disk == disks.end()) {
        return false;
    }
    const RecordMap::const_iterator name = disk->second.find("Name");
    const RecordMap::const_iterator objectId = partition.find("ObjectID");
    if (name == disk->second.end() || objectId == partition.end()) {
        return false;
    }
    result = std::make_pair(name->second, objectId->second);
    return true;
}

void LDMDBParser::IndexPartitionsByDisk(LDMDataBase& database) {
    for (RecordTable::const_iterator it = database.partitions.begin();
         it != database.partitions.end(); ++it) {
        std::pair<std::string, std::string> placed;
        if (ResolvePartitionDisk(database.disks, it->second, placed)) {
            database.partitionsByDiskName.insert(placed);
        }
    }
}

DiskDatabaseMap LDMDBParser::ReadDatabases(const DeviceMap& devices) {
    DatabaseCache ownCache;
    DatabaseCache& cache = cache_ ? *cache_ : ownCache;
    DiskDatabaseMap result;
    for (DeviceMap::const_iterator device = devices.begin(); device != devices.end(); ++device) {
        const std::string& path = device->second;
        std::vector<unsigned char> header(kPrivHeadSize, 0);
        const int file = access_.Open(path);
        if (file < 0) {
            continue;
        }
        const DriveSize drive = access_.QueryDrive(path);
        if (drive.bytesPerSector == 0 ||
            !ReadPrivateHeader(file, header, drive.bytesPerSector, drive.length)) {
            access_.Close(file);
            continue;  // no sector size, or a basic disk
        }
        ReadRecordBlocks(file, header, drive.bytesPerSector, drive.length, blocks_);
        access_.Close(file);
        SharedDatabase database = cache.Find(blocks_);
        if (!database) {
            LDMDataBase records = VBLKParser(keepLayoutFields_).DecodeBlocks(blocks_);
            IndexPartitionsByDisk(records);
            database.reset(new DiskDatabase(std::move(records)));
            cache.Add(blocks_, database);
        }
        PrivateHeader fields;
        DecodePrivateHeader(header, fields);
        result[fields.diskGuid] = database;
    }
    return result;
}

std::string LDMDBParser::GetDiskGuid(const std::string& devicePath) {
    return GetPrivateHeader(devicePath).diskGuid;
}

PrivateHeader LDMDBParser::GetPrivateHeader(const std::string& devicePath) {
    return GetDynamicDrive(devicePath).header;
}

DynamicDrive LDMDBParser::GetDynamicDrive(const std::string& devicePath) {
    const DriveSize drive = access_.QueryDrive(devicePath);
    DynamicDrive found;
    found.sectors = DriveSectors(drive.bytesPerSector);
    const int file = access_.Open(devicePath);
    if (file < 0) {
        return found;
    }
    std::vector<unsigned char> header(kPrivHeadSize, 0);
    if (drive.bytesPerSector != 0 &&
        ReadPrivateHeader(file, header, drive.bytesPerSector, drive.length)) {
        DecodePrivateHeader(header, found.header);
    }
    access_.Close(file);
    return found;
}

}  // namespace strata_col
