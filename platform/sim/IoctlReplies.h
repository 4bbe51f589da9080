// The output structures of the storage control codes, built from a device
// or volume of the machine in their 64-bit Windows layouts.
#ifndef STRATA_PLATFORM_SIM_IOCTLREPLIES_H
#define STRATA_PLATFORM_SIM_IOCTLREPLIES_H

#include <vector>

#include "platform/sim/MachineModel.h"

namespace strata_sim {

STORAGE_DEVICE_NUMBER DeviceNumberOf(const Device& device);
DISK_GEOMETRY GeometryOf(const Device& device);
// GET_MEDIA_TYPES header and one DEVICE_MEDIA_INFO per media type.
std::vector<unsigned char> MediaTypesReply(const Device& device);
// DRIVE_LAYOUT_INFORMATION_EX header and PARTITION_INFORMATION_EX entries.
std::vector<unsigned char> LayoutReply(const DriveLayout& layout);
// VOLUME_DISK_EXTENTS with every extent.
std::vector<unsigned char> ExtentsReply(const Volume& volume);

// Bytes of the fixed part of the variable-size replies.
const std::size_t kMediaTypesHeaderSize = offsetof(GET_MEDIA_TYPES, MediaInfo);
const std::size_t kLayoutHeaderSize = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
const std::size_t kExtentsHeaderSize = offsetof(VOLUME_DISK_EXTENTS, Extents);

}  // namespace strata_sim

#endif
