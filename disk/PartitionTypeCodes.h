// The classification codes of ORVA_DiskPartition.PartitionType, which the
// partition builder gives and the associations read back.
#ifndef STRATA_DISK_PARTITIONTYPECODES_H
#define STRATA_DISK_PARTITIONTYPECODES_H

namespace strata_col {
namespace partition_type {

const unsigned kUnrecognized = 0;     // MBR entry the system does not recognise; other GPT types
const unsigned kBootablePrimary = 1;  // MBR entry recognised and bootable
const unsigned kExtended = 2;         // the disk's first MBR extended entry
const unsigned kRecognized = 3;       // MBR entry recognised, not bootable, not extended
const unsigned kDynamic = 4;          // a partition record of a dynamic disk's database
const unsigned kEfiSystem = 6;
const unsigned kMicrosoftReserved = 8;
const unsigned kBasicData = 9;
const unsigned kLdmMetadata = 10;
const unsigned kLdmData = 11;

}  // namespace partition_type
}  // namespace strata_col

#endif
