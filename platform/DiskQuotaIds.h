// The class and interface identifiers of the system's disk-quota control
// object (CLSID_DiskQuotaControl, IID_IDiskQuotaControl), defined here so that
// no GUID library has to be linked for them.
#ifndef STRATA_PLATFORM_DISKQUOTAIDS_H
#define STRATA_PLATFORM_DISKQUOTAIDS_H

#include "platform/win32.h"

namespace disk_quota_ids {

inline const GUID kDiskQuotaControlClass = {
    0x7988B571, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
inline const GUID kDiskQuotaControlInterface = {
    0x7988B572, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};

}  // namespace disk_quota_ids

#endif
