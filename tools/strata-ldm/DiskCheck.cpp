#include "tools/strata-ldm/DiskCheck.h"

#include "ldm/BigEndian.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "ldm/PrivateHeader.h"
#include "tools/strata-ldm/ByteAppender.h"
#include "tools/strata-ldm/DatabaseDiagnosis.h"
#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/ImageFileAccess.h"
#include "tools/strata-ldm/OpenDrive.h"
#include "tools/strata-ldm/VolumeArguments.h"

#include <cstdio>
#include <map>
#include <set>

namespace strata_tools {

using namespace strata_col::ldm_layout;
using strata_col::ReadBigEndian;

namespace {

const std::size_t kMbrSignatureOffset = 510;
const std::size_t kMbrEntriesOffset = 0x1BE;
const std::size_t kMbrEntrySize = 16;
const std::size_t kMbrEntryTypeOffset = 4;
const unsigned char kTypeProtectiveGpt = 0xEE;
const unsigned char kTypeLdm = 0x42;
// What Windows accepts beside the 0x42 partition of a dynamic MBR disk:
// extended partitions, and the OEM and hibernation partitions vendors ship.
const std::set<unsigned char> kTypesBesideLdm = {0x05, 0x0F, 0x85, 0x12, 0x27, 0x84, 0xA0, 0xDE, 0xFE};
// Windows writes the VMDB's update status as 1 when no change is under way.
const std::uint64_t kVmdbConsistent = 1;

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

std::uint64_t Field(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    ReadBigEndian(bytes.data(), bytes.size(), offset, width, value);
    return value;
}

bool ChecksumHolds(const std::vector<unsigned char>& bytes, std::size_t checksumOffset) {
    return bytes.size() >= 512 && StructureChecksum(bytes, checksumOffset, 512) == Field(bytes, checksumOffset, 4);
}

bool HasMagic(const std::vector<unsigned char>& bytes, const char* magic) {
    return strata_col::ZeroTerminatedText(bytes.data(), bytes.size(), 0, 8) == magic;
}

class Checker {
public:
    Checker(strata_col::RawDiskAccess& access, const std::string& path, DiskCheck& result)
        : access_(access), path_(path), open_(access, path), result_(result),
          sectorSize_(open_.drive().bytesPerSector), reader_(access) {}

    void Run(std::uint32_t sectorSize) {
        if (open_.file() < 0 || sectorSize_ == 0) {
            result_.Fail(open_.file() < 0 ? "cannot be opened" : "its sector size is not available");
            return;
        }
        if (!reader_.ReadPrivateHeader(open_.file(), header_, sectorSize_, open_.drive().length)) {
            result_.Fail(WhyNoDatabase(access_, path_) + OtherSectorSize(sectorSize));
            return;
        }
        strata_col::DecodePrivateHeader(header_, fields_);
        result_.diskGuid = fields_.diskGuid;
        const strata_col::DiskDatabaseMap found = reader_.ReadDatabases(strata_col::DeviceMap{{"image", path_}});
        if (found.empty() || RecordCount(*found.begin()->second) == 0) {
            result_.Fail(WhyEmpty(access_, path_));
            return;
        }
        database_ = found.begin()->second;
        result_.usable = true;
        for (const auto& disk : database_->diskGuidByName) {
            if (strata_col::NormalizedGuid(disk.second) == strata_col::NormalizedGuid(fields_.diskGuid)) {
                result_.name = disk.first;
            }
        }
        CheckPartitionTable();
        CheckHeaderCopies();
        if (!reader_.ReadDatabaseArea(open_.file(), header_, sectorSize_, open_.drive().length, area_, vmdb_)) return;
        CheckTablesOfContents();
        CheckVmdb();
        CheckBlocks();
        for (const std::string& missing : MissingRecords(fields_.diskGuid, *database_)) result_.Warn(missing);
    }

private:
    std::vector<unsigned char> Sector(std::uint64_t sector) {
        std::vector<unsigned char> bytes(sectorSize_, 0);
        if (sector >= open_.drive().length / sectorSize_ || !access_.Seek(open_.file(), sector * sectorSize_) ||
            access_.Read(open_.file(), bytes.data(), sectorSize_) <= 0) {
            bytes.assign(sectorSize_, 0);
        }
        return bytes;
    }

    // A header not found at this sector size may be there at another.
    std::string OtherSectorSize(std::uint32_t asked) {
        if (IsDevicePath(path_)) return "";
        for (std::uint32_t size : {512u, 4096u}) {
            if (size == asked) continue;
            ImageFileAccess other(size);
            if (!strata_col::LDMDBParser(other).GetDynamicDrive(path_).header.diskGuid.empty()) {
                return "; it has one with " + Decimal(size) + "-byte sectors (--sector-size " + Decimal(size) + ")";
            }
        }
        return "";
    }

    void CheckPartitionTable() {
        const std::vector<unsigned char> mbr = Sector(0);
        if (Field(mbr, kMbrSignatureOffset, 2) != 0x55AA) {
            result_.Fail("sector 0 holds no partition table (no 0x55AA signature)");
            return;
        }
        bool ldm = false;
        std::vector<std::string> foreign;
        for (std::size_t entry = 0; entry < 4; ++entry) {
            const unsigned char type = mbr[kMbrEntriesOffset + entry * kMbrEntrySize + kMbrEntryTypeOffset];
            if (type == kTypeProtectiveGpt) {
                gpt_ = true;
                return;
            }
            ldm = ldm || type == kTypeLdm;
            if (type != 0 && type != kTypeLdm && kTypesBesideLdm.count(type) == 0) {
                foreign.push_back("MBR entry " + Decimal(entry + 1) + " is a partition of type " + Hex2(type));
            }
        }
        const std::string none = ldm ? "" : " and no entry is of type 0x42";
        for (const std::string& entry : foreign) {
            result_.Fail(entry + none + ": a dynamic MBR disk holds only its 0x42 partition, extended or OEM "
                                        "entries, and Windows calls this one unreadable");
        }
        if (!ldm && foreign.empty()) result_.Fail("its MBR has no 0x42 (dynamic) partition");
    }

    // The header the reader took, and the copies its own fields place at the
    // end of the database area and within it.
    void CheckHeaderCopies() {
        std::map<std::uint64_t, std::string> places;
        const std::uint64_t area = fields_.configStart;
        if (!gpt_) places[kPrivHeadSector] = "sector 6";
        places[area + Field(header_, kPrivHeadPrimaryLbaOffset, 8)] = "";
        const std::uint64_t secondary = Field(header_, kPrivHeadSecondaryLbaOffset, 8);
        if (secondary != 0) places[area + secondary] = "";
        if (!ChecksumHolds(header_, kPrivHeadChecksumOffset)) {
            result_.Warn("the private header the reader uses fails its checksum");
        }
        for (const auto& place : places) {
            std::vector<unsigned char> copy = Sector(place.first);
            copy.resize(kPrivHeadSize);
            const std::string where = "the private header copy at sector " + Decimal(place.first);
            if (!HasMagic(copy, kPrivHeadMagic)) {
                result_.Warn("no private header copy at sector " + Decimal(place.first) +
                             ", where the private header places one");
                continue;
            }
            if (copy == header_) continue;
            if (!ChecksumHolds(copy, kPrivHeadChecksumOffset)) result_.Warn(where + " fails its checksum");
            CompareHeader(copy, where);
        }
    }

    void CompareHeader(const std::vector<unsigned char>& copy, const std::string& where) {
        const struct {
            const char* what;
            std::size_t offset;
            std::size_t width;
            bool text;
        } fields[] = {
            {"disk GUID", kDiskGuidOffset, kDiskGuidSize, true},
            {"disk-group GUID", kGroupGuidOffset, kGroupGuidSize, true},
            {"disk-group name", kGroupNameOffset, kGroupNameSize, true},
            {"sequence number", kPrivHeadSequenceOffset, 8, false},
            {"data-region start", kLogicalDiskStartOffset, 8, false},
            {"data-region size", kLogicalDiskSizeOffset, 8, false},
            {"database-area start", kConfigStartOffset, 8, false},
            {"database-area size", kConfigSizeOffset, 8, false},
        };
        for (const auto& field : fields) {
            const std::string mine = field.text
                                         ? strata_col::ZeroTerminatedText(copy.data(), copy.size(), field.offset, field.width)
                                         : Decimal(Field(copy, field.offset, field.width));
            const std::string theirs =
                field.text ? strata_col::ZeroTerminatedText(header_.data(), header_.size(), field.offset, field.width)
                           : Decimal(Field(header_, field.offset, field.width));
            if (mine != theirs) {
                result_.Warn(where + " differs from the one the reader uses in its " + field.what + " (" + mine +
                             " against " + theirs + ")");
            }
        }
    }

    struct Toc {
        std::uint64_t sector;
        bool present = false;
        std::uint64_t sequence = 0;
        std::uint64_t placement[4] = {0, 0, 0, 0};  // config start and size, log start and size
    };

    Toc ReadToc(std::uint64_t sector) {
        Toc toc;
        toc.sector = sector;
        const std::size_t at = static_cast<std::size_t>(sector * sectorSize_);
        if (at + 512 > area_.size()) return toc;
        const std::vector<unsigned char> bytes(area_.begin() + static_cast<std::ptrdiff_t>(at),
                                               area_.begin() + static_cast<std::ptrdiff_t>(at + 512));
        const std::string where = " at sector " + Decimal(sector) + " of the database area";
        if (!HasMagic(bytes, kTocMagic)) {
            result_.Warn("no table of contents (TOCBLOCK)" + where);
            return toc;
        }
        if (!ChecksumHolds(bytes, kTocChecksumOffset)) result_.Warn("the table of contents" + where + " fails its checksum");
        toc.present = true;
        toc.sequence = Field(bytes, kTocSequenceOffset, 8);
        toc.placement[0] = Field(bytes, kTocConfigStartOffset, 8);
        toc.placement[1] = Field(bytes, kTocConfigSizeOffset, 8);
        toc.placement[2] = Field(bytes, kTocLogStartOffset, 8);
        toc.placement[3] = Field(bytes, kTocLogSizeOffset, 8);
        return toc;
    }

    // Two tables of contents, in the area's second sector and the one before
    // its last, each followed (or preceded) by its previous version.
    void CheckTablesOfContents() {
        const std::uint64_t sectors = area_.size() / sectorSize_;
        if (sectors < 6) return;
        const Toc first = ReadToc(1);
        const Toc firstPrevious = ReadToc(2);
        const Toc second = ReadToc(sectors - 2);
        const Toc secondPrevious = ReadToc(sectors - 3);
        if (first.present && second.present &&
            (first.sequence != second.sequence ||
             !std::equal(std::begin(first.placement), std::end(first.placement), std::begin(second.placement)))) {
            result_.Warn("the tables of contents at sectors 1 and " + Decimal(second.sector) +
                         " of the database area disagree (sequence " + Decimal(first.sequence) + " against " +
                         Decimal(second.sequence) + ")");
        }
        for (const auto& pair : {std::make_pair(first, firstPrevious), std::make_pair(second, secondPrevious)}) {
            if (pair.first.present && pair.second.present && pair.second.sequence > pair.first.sequence) {
                result_.Warn("the previous table of contents at sector " + Decimal(pair.second.sector) +
                             " of the database area is newer (sequence " + Decimal(pair.second.sequence) +
                             ") than the one at sector " + Decimal(pair.first.sector) + " (" +
                             Decimal(pair.first.sequence) + ")");
            }
        }
    }

    void CheckVmdb() {
        if (std::size_t(vmdb_) + kVmdbSize > area_.size()) return;
        const std::vector<unsigned char> vmdb(area_.begin() + vmdb_, area_.begin() + vmdb_ + kVmdbSize);
        const std::string where = " (byte " + Decimal(vmdb_) + " of the database area)";
        if (strata_col::ZeroTerminatedText(vmdb.data(), vmdb.size(), kVmdbMagicOffset, 4) != kVmdbMagic) {
            result_.Warn("no database header (VMDB) where its table of contents puts it" + where);
            return;
        }
        result_.hasVmdb = true;
        const std::uint64_t status = Field(vmdb, kVmdbUpdateStatusOffset, 2);
        const std::uint64_t committed = Field(vmdb, kVmdbCommittedSeqOffset, 8);
        const std::uint64_t pending = Field(vmdb, kVmdbPendingSeqOffset, 8);
        result_.committedSequence = committed;
        if (status != kVmdbConsistent) {
            result_.Warn("its database header's update status is " + Decimal(status) +
                         ", not 1: Windows was changing the database when the disk was last written");
        }
        if (pending != committed) {
            result_.Warn("caught mid-transaction: its database header's pending sequence " + Decimal(pending) +
                         " is not its committed sequence " + Decimal(committed) +
                         "; the records may be partly those of the next change");
        }
        const struct {
            const char* kind;
            std::size_t found;
        } counts[] = {{"volume", database_->volumes.size()},
                      {"component", database_->components.size()},
                      {"partition", database_->partitions.size()},
                      {"disk", database_->disks.size()}};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint64_t counted = Field(vmdb, kVmdbCommittedCountsOffset + 4 * i, 4);
            if (counted != counts[i].found) {
                result_.Warn("its database header counts " + Decimal(counted) + " " + counts[i].kind + " records; " +
                             Decimal(counts[i].found) + " were found");
            }
        }
    }

    // Record blocks lie in 128-byte slots after the VMDB; a record longer
    // than one block has all its blocks under one group number.
    void CheckBlocks() {
        std::map<std::uint64_t, std::pair<std::uint64_t, std::set<std::uint64_t> > > groups;
        for (std::size_t at = std::size_t(vmdb_) + kVmdbSize; at + kVblkSize <= area_.size(); at += kVblkSize) {
            if (std::equal(kVblkMagic, kVblkMagic + kVblkMagicSize, area_.begin() + at) == false) continue;
            std::uint64_t group = 0, index = 0, count = 0;
            ReadBigEndian(area_.data(), area_.size(), at + kVblkGroupOffset, 4, group);
            ReadBigEndian(area_.data(), area_.size(), at + kVblkRecordIndexOffset, 2, index);
            ReadBigEndian(area_.data(), area_.size(), at + kVblkRecordCountOffset, 2, count);
            if (count < 2) continue;
            groups[group].first = count;
            groups[group].second.insert(index);
        }
        std::size_t incomplete = 0;
        std::string example;
        for (const auto& group : groups) {
            if (group.second.second.size() >= group.second.first) continue;
            if (incomplete++ == 0) {
                example = " (record group " + Decimal(group.first) + ": " + Decimal(group.second.second.size()) +
                          " of " + Decimal(group.second.first) + " blocks)";
            }
        }
        if (incomplete != 0) {
            result_.Warn(Decimal(incomplete) + (incomplete == 1 ? " record longer than one block is" : " records longer than one block are") +
                         " incomplete" + example);
        }
        const BlockCensus census = CountBlocksIn(area_, vmdb_);
        if (census.repeated != 0) result_.Warn(RepeatedIdsText(census.repeated));
    }

    strata_col::RawDiskAccess& access_;
    const std::string& path_;
    OpenDrive open_;
    DiskCheck& result_;
    std::uint32_t sectorSize_;
    strata_col::LDMDBParser reader_;
    std::vector<unsigned char> header_;
    strata_col::PrivateHeader fields_;
    strata_col::SharedDatabase database_;
    std::vector<unsigned char> area_;
    std::uint32_t vmdb_ = 0;
    bool gpt_ = false;
};

}  // namespace

DiskCheck CheckDisk(strata_col::RawDiskAccess& access, const std::string& path, std::uint32_t sectorSize) {
    DiskCheck result;
    result.image = path;
    Checker(access, path, result).Run(sectorSize);
    return result;
}

}  // namespace strata_tools
