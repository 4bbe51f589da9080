// The device-interface classes of the storage devices the plug-in knows.
#ifndef STRATA_DISK_INTERFACECLASSES_H
#define STRATA_DISK_INTERFACECLASSES_H

#include "collect/SameGuid.h"
#include "platform/win32.h"

namespace strata_col {

extern const GUID kDiskInterface;    // GUID_DEVINTERFACE_DISK
extern const GUID kCdromInterface;   // GUID_DEVINTERFACE_CDROM
extern const GUID kTapeInterface;    // GUID_DEVINTERFACE_TAPE
extern const GUID kFloppyInterface;  // GUID_DEVINTERFACE_FLOPPY
extern const GUID kNullInterface;    // all zero

}  // namespace strata_col

#endif
