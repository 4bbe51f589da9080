#include "tools/strata-ldm/DatabaseRecords.h"

#include "ldm/LdmLayout.h"

#include <cstdio>
#include <map>

namespace strata_tools {

using namespace strata_col::ldm_layout;

namespace {

const std::uint64_t kFirstCommitId = 0x404;
const unsigned char kComponentStriped = 0x01;
const unsigned char kComponentConcatenated = 0x02;
const unsigned char kComponentRaid = 0x03;
const unsigned char kVolumeCategoryGeneral = 0x03;
const unsigned char kVolumeCategoryRaid5 = 0x04;
const unsigned char kVolumeReadPolicyGeneral = 0x11;
const unsigned char kVolumeReadPolicyRaid5 = 0x13;
// Disk groups carry two further numbers, all ones, announced by flag 0x08.
const unsigned char kFlagGroupExtras = 0x08;

class RecordBuilder {
public:
    RecordBuilder(unsigned char type, unsigned char flags) : body_(), out_(body_), type_(type), flags_(flags) {}
    ByteAppender& Body() { return out_; }
    EncodedRecord Finish() const {
        EncodedRecord record;
        PutBigEndian(record.data, 0, 2, 0);  // update status
        record.data.push_back(flags_);
        record.data.push_back(type_);
        PutBigEndian(record.data, 4, 4, body_.size());
        record.data.insert(record.data.end(), body_.begin(), body_.end());
        return record;
    }

private:
    Bytes body_;
    ByteAppender out_;
    unsigned char type_;
    unsigned char flags_;
};

class Encoder {
public:
    explicit Encoder(const GroupDescription& group) : group_(group), objectId_(group.firstObjectId) {}

    DatabaseRecords Encode() {
        const std::uint64_t groupId = NextObjectId();
        for (const DiskDescription& disk : group_.disks) {
            diskIds_[disk.name] = NextObjectId();
        }
        AddGroup(groupId);
        for (const DiskDescription& disk : group_.disks) {
            AddDisk(disk);
        }
        for (std::size_t i = 0; i < group_.volumes.size(); ++i) {
            AddVolume(group_.volumes[i], static_cast<unsigned char>(i + 1));
        }
        result_.lastCommitId = commitId_ - 1;
        return result_;
    }

private:
    std::uint64_t NextObjectId() { return objectId_++; }
    std::uint64_t NextCommitId() { return commitId_++; }

    void AddGroup(std::uint64_t id) {
        const bool v4 = group_.version == 4;
        RecordBuilder record(v4 ? kTypeDiskGroupV4 : kTypeDiskGroupV3, kFlagGroupExtras);
        ByteAppender& b = record.Body();
        b.VarNumber(id);
        b.VarText(group_.name);
        if (v4) {
            b.GuidBytes(group_.guid);
            b.GuidBytes(group_.diskSetGuid);
        } else {
            b.VarText(group_.guid);
        }
        b.Zeros(4);
        b.FixedNumber(NextCommitId(), 8);
        b.VarNumber(0xFFFFFFFFu);
        b.VarNumber(0xFFFFFFFFu);
        result_.records.push_back(record.Finish());
    }

    void AddDisk(const DiskDescription& disk) {
        const bool v4 = group_.version == 4;
        RecordBuilder record(v4 ? kTypeDiskV4 : kTypeDiskV3, 0);
        ByteAppender& b = record.Body();
        b.VarNumber(diskIds_[disk.name]);
        b.VarText(disk.name);
        if (v4) {
            b.GuidBytes(disk.guid);
            b.Zeros(16);  // no alternate identity
            b.Zeros(3);
            b.FixedNumber(0, 2);
        } else {
            b.VarText(disk.guid);
            b.VarText(disk.alternateName);
            b.Zeros(4);
        }
        b.FixedNumber(NextCommitId(), 8);
        result_.records.push_back(record.Finish());
        ++result_.disks;
    }

    void AddVolume(const VolumeDescription& volume, unsigned char volumeNumber) {
        const bool raid5 = volume.layout == VolumeLayout::Raid5;
        const bool mirror = volume.layout == VolumeLayout::Mirror;
        const std::uint64_t volumeId = NextObjectId();
        // A mirror has one concatenated component (plex) per partition.
        const std::size_t plexes = mirror ? volume.partitions.size() : 1;

        unsigned char flags = 0;
        if (!volume.id1.empty()) flags |= kFlagVolumeId1;
        else if (!volume.id2.empty()) flags |= kFlagVolumeId2;
        if (!volume.childSize.empty()) flags |= kFlagVolumeChildSize;
        if (!volume.hint.empty()) flags |= kFlagVolumeDriveHint;
        RecordBuilder record(kTypeVolume, flags);
        ByteAppender& b = record.Body();
        b.VarNumber(volumeId);
        b.VarText(volume.name);
        b.VarText(raid5 ? "raid5" : "gen");
        b.Byte(0);
        b.FixedText(volume.state, 14);
        b.Byte(raid5 ? kVolumeCategoryRaid5 : kVolumeCategoryGeneral);
        b.Byte(0x01);
        b.Byte(volumeNumber);
        b.Zeros(3);
        b.Byte(raid5 ? kVolumeReadPolicyRaid5 : kVolumeReadPolicyGeneral);
        b.VarNumber(plexes);
        b.FixedNumber(NextCommitId(), 8);
        b.FixedNumber(NextCommitId(), 8);
        b.VarNumber(volume.size);
        b.Zeros(4);
        b.Byte(volume.partitionType);
        b.GuidBytes(volume.guid);
        if (!volume.id1.empty()) b.VarNumberHex(volume.id1);
        else if (!volume.id2.empty()) b.VarNumberHex(volume.id2);
        if (!volume.childSize.empty()) b.VarNumberHex(volume.childSize);
        if (!volume.hint.empty()) b.VarText(volume.hint);
        result_.records.push_back(record.Finish());
        ++result_.volumes;

        if (mirror) {
            for (std::size_t plex = 0; plex < plexes; ++plex) {
                AddComponent(volume, volumeId, plex + 1, std::vector<std::size_t>(1, plex));
            }
        } else {
            std::vector<std::size_t> all;
            for (std::size_t i = 0; i < volume.partitions.size(); ++i) all.push_back(i);
            AddComponent(volume, volumeId, 1, all);
        }
    }

    void AddComponent(const VolumeDescription& volume, std::uint64_t volumeId, std::size_t plex,
                      const std::vector<std::size_t>& members) {
        const bool columns = volume.layout == VolumeLayout::Striped ||
                             volume.layout == VolumeLayout::Raid5;
        const unsigned char type = volume.layout == VolumeLayout::Striped ? kComponentStriped
                                   : volume.layout == VolumeLayout::Raid5 ? kComponentRaid
                                                                          : kComponentConcatenated;
        const std::uint64_t componentId = NextObjectId();
        RecordBuilder record(kTypeComponent, columns ? kFlagComponentStripe : 0);
        ByteAppender& b = record.Body();
        b.VarNumber(componentId);
        char plexName[8];
        std::snprintf(plexName, sizeof(plexName), "-%02u", static_cast<unsigned>(plex % 100));
        b.VarText(volume.name + plexName);
        b.VarText(volume.state);
        b.Byte(type);
        b.Zeros(4);
        b.VarNumber(members.size());
        b.FixedNumber(NextCommitId(), 8);
        b.Zeros(8);
        b.VarNumber(volumeId);
        b.Byte(0);
        if (columns) {
            b.VarNumber(volume.stripeSize);
            b.VarNumber(members.size());
        }
        result_.records.push_back(record.Finish());
        ++result_.components;

        std::uint64_t volumeOffset = 0;
        for (std::size_t column = 0; column < members.size(); ++column) {
            const PartitionDescription& partition = volume.partitions[members[column]];
            const std::uint64_t placed = partition.placed ? partition.volumeOffset : volumeOffset;
            AddPartition(partition, componentId, columns ? 0 : placed,
                         columns ? static_cast<int>(column) : -1);
            volumeOffset += partition.size;
        }
    }

    void AddPartition(const PartitionDescription& partition, std::uint64_t componentId,
                      std::uint64_t volumeOffset, int column) {
        RecordBuilder record(kTypePartition, column >= 0 ? kFlagPartitionIndex : 0);
        ByteAppender& b = record.Body();
        b.VarNumber(NextObjectId());
        std::string name = partition.name;
        if (name.empty()) {
            char number[8];
            std::snprintf(number, sizeof(number), "-%02u",
                          static_cast<unsigned>(++partitionsOnDisk_[partition.disk] % 100));
            name = partition.disk + number;
        }
        b.VarText(name);
        b.Zeros(4);
        b.FixedNumber(NextCommitId(), 8);
        b.FixedNumber(partition.start, 8);
        b.FixedNumber(volumeOffset, 8);
        b.VarNumber(partition.size);
        b.VarNumber(componentId);
        b.VarNumber(diskIds_[partition.disk]);
        if (column >= 0) {
            b.VarNumber(static_cast<std::uint64_t>(column));
        }
        result_.records.push_back(record.Finish());
        ++result_.partitions;
    }

    const GroupDescription& group_;
    DatabaseRecords result_;
    std::map<std::string, std::uint64_t> diskIds_;
    std::map<std::string, unsigned> partitionsOnDisk_;
    std::uint64_t objectId_;
    std::uint64_t commitId_ = kFirstCommitId;
};

}  // namespace

DatabaseRecords EncodeDatabaseRecords(const GroupDescription& group) {
    Encoder encoder(group);
    return encoder.Encode();
}

}  // namespace strata_tools
