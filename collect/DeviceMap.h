#ifndef STRATA_COLLECT_DEVICEMAP_H
#define STRATA_COLLECT_DEVICEMAP_H

#include <map>
#include <string>

namespace strata_col {

// Device instance ID to device interface path, in instance-ID order; equal
// instance IDs are all kept.
typedef std::multimap<std::string, std::string> DeviceMap;

}  // namespace strata_col

#endif
