#include "ldm/VBLKRecordDecoder.h"

#include "ldm/LdmLayout.h"
#include "ldm/VBLKFieldReader.h"

#include <string>
#include <utility>

namespace strata_col {

using namespace ldm_layout;

namespace {

// Every layout below reads its fields in stored order and stops at the
// first field that does not fit in the block.

void DecodeVolume(VBLKRecordReader& r, unsigned char flags) {
    const bool body = r.VarNumber("ObjectID") && r.VarText("Name") && r.VarText("VolumeType") &&
                      r.Skip(1) && r.FixedText("VolumeState", kFieldVolumeState) && r.Byte("VolumeCategory") &&
                      r.Skip(1) && r.Byte("VolumeNumber") && r.Skip(kSkippedVolumeNumberPad) && r.DropByte() &&
                      r.VarNumber("NumberOfChildren") && r.FixedNumber("LogCommitID1", kFieldLogCommitId) &&
                      r.FixedNumber("LogCommitID2", kFieldLogCommitId) && r.VarNumber("Size") && r.Skip(kSkippedFlags) &&
                      r.Byte("PartitionType") && r.FixedNumber("VolumeID", kFieldGuid);
    if (!body) {
        return;
    }
    if (flags & kFlagVolumeId1) {
        if (!r.VarNumber("ID1")) return;
    } else if (flags & kFlagVolumeId2) {
        if (!r.VarNumber("ID2")) return;
    }
    if ((flags & kFlagVolumeChildSize) && !r.VarNumber("ChildSize")) {
        return;
    }
    if (flags & kFlagVolumeDriveHint) {
        r.VarText("DriveHint");
    }
}

void DecodeComponent(VBLKRecordReader& r, unsigned char flags, bool keepLayout) {
    const bool body = r.VarNumber("ObjectID") && r.VarText("Name") && r.VarText("VolumeState") &&
                      r.Byte("ComponentType") && r.Skip(kSkippedFlags) && r.VarNumber("NumberOfChildren") &&
                      r.FixedNumber("LogCommitID", kFieldLogCommitId) && r.Skip(kSkippedComponentLog) &&
                      r.VarNumber("ParentID");
    if (body && (flags & kFlagComponentStripe)) {
        if (keepLayout) {
            r.Skip(kSkippedComponentStripePad) && r.VarNumber("StripeSize") && r.VarNumber("Columns");
        } else {
            // Stripe size and column count: read, not kept.
            r.DropVarNumber() && r.DropVarNumber();
        }
    }
}

void DecodePartition(VBLKRecordReader& r, unsigned char flags, bool keepLayout) {
    const bool body = r.VarNumber("ObjectID") && r.VarText("Name") && r.Skip(kSkippedFlags) &&
                      r.FixedNumber("LogCommitID", kFieldLogCommitId) && r.FixedNumber("Start", kFieldSectorNumber) &&
                      r.FixedNumber("VolumeOffset", kFieldSectorNumber) && r.VarNumber("Size") &&
                      r.VarNumber("ParentID") && r.VarNumber("DiskID");
    if (body && (flags & kFlagPartitionIndex)) {
        if (keepLayout) {
            r.VarNumber("ColumnIndex");
        } else {
            r.DropVarNumber();
        }
    }
}

void DecodeDiskV3(VBLKRecordReader& r) {
    r.VarNumber("ObjectID") && r.VarText("Name") && r.VarText("DiskID") &&
        r.VarText("AlternateName") && r.Skip(kSkippedFlags) && r.FixedNumber("LogCommitID", kFieldLogCommitId);
}

// The version-4 DiskID joins the two 16-byte GUID fields with a comma.
void DecodeDiskV4(VBLKFieldReader& fields, VBLKRecordReader& r, ReadFields& stored,
                  DecodedRecord& decoded) {
    if (!(r.VarNumber("ObjectID") && r.VarText("Name"))) {
        return;
    }
    std::string first;
    std::string second;
    if (!fields.ReadFixed(kFieldGuid, false, first)) {
        return;
    }
    decoded.nameIndexGuid = first;
    if (!fields.ReadFixed(kFieldGuid, false, second)) {
        return;
    }
    stored.Add("DiskID", first + "," + second);
    r.Skip(kSkippedDiskV4Pad) && r.FixedNumber("ID", kFieldDiskNumber) &&
        r.FixedNumber("LogCommitID", kFieldLogCommitId);
}

void DecodeDiskGroupV3(VBLKRecordReader& r) {
    r.VarNumber("ObjectID") && r.VarText("Name") && r.VarText("DiskGroupID") && r.Skip(kSkippedFlags) &&
        r.FixedNumber("LogCommitID", kFieldLogCommitId);
}

void DecodeDiskGroupV4(VBLKRecordReader& r) {
    r.VarNumber("ObjectID") && r.VarText("Name") && r.FixedNumber("DiskGroupID", kFieldGuid) &&
        r.FixedNumber("DiskSetID", kFieldGuid) && r.Skip(kSkippedFlags) &&
        r.FixedNumber("LogCommitID", kFieldLogCommitId);
}

}  // namespace

VBLKRecordKind KindOfType(unsigned char type) {
    switch (type) {
    case kTypeVolume: return VBLKRecordKind::Volume;
    case kTypeComponent: return VBLKRecordKind::Component;
    case kTypePartition: return VBLKRecordKind::Partition;
    case kTypeDiskV3:
    case kTypeDiskV4: return VBLKRecordKind::Disk;
    case kTypeDiskGroupV3:
    case kTypeDiskGroupV4: return VBLKRecordKind::DiskGroup;
    default: return VBLKRecordKind::None;
    }
}

DecodedRecord VBLKRecordDecoder::Decode(const unsigned char* block, std::size_t size) {
    DecodedRecord decoded;
    if (size < kVblkBodyOffset) {
        return decoded;
    }
    const unsigned char flags = block[kVblkFlagsOffset];
    const unsigned char type = block[kVblkTypeOffset];
    decoded.kind = KindOfType(type);
    if (decoded.kind == VBLKRecordKind::None) {
        return decoded;
    }

    ReadFields stored;
    VBLKFieldReader fields(block, size, static_cast<int>(kVblkUpdateStatusOffset));
    VBLKRecordReader r(fields, stored);
    std::string ignored;
    // Update status (first of two bytes), flags, type, then the data length
    // field, of which only the position is used.
    fields.ReadByte(ignored, 2);
    stored.Add("UpdateStatus", std::string(ignored));
    fields.ReadByte(ignored, 1);
    fields.ReadByte(ignored, 1);
    stored.Add("RecordType", std::string(ignored));
    fields.ReadByte(ignored, 4);

    switch (type) {
    case kTypeVolume: DecodeVolume(r, flags); break;
    case kTypeComponent: DecodeComponent(r, flags, keepLayoutFields_); break;
    case kTypePartition: DecodePartition(r, flags, keepLayoutFields_); break;
    case kTypeDiskV3: DecodeDiskV3(r); break;
    case kTypeDiskV4: DecodeDiskV4(fields, r, stored, decoded); break;
    case kTypeDiskGroupV3: DecodeDiskGroupV3(r); break;
    case kTypeDiskGroupV4: DecodeDiskGroupV4(r); break;
    default: break;
    }
    decoded.fields = stored.Sorted(orders_);
    if (type == kTypeDiskV3) {
        const RecordMap::const_iterator diskId = decoded.fields.find("DiskID");
        if (diskId != decoded.fields.end()) decoded.nameIndexGuid = diskId->second;
    }
    return decoded;
}

}  // namespace strata_col
