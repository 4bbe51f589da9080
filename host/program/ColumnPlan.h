// Which properties a class's text table shows, and in which order: first
// the ones a person looks for (what the thing is called, its size, layout,
// state and file system), then the rest in schema order.
#ifndef STRATA_HOST_PROGRAM_COLUMNPLAN_H
#define STRATA_HOST_PROGRAM_COLUMNPLAN_H

#include "host/HostSession.h"

#include <string>
#include <vector>

namespace telva_host {

struct ColumnPlan {
    std::vector<std::string> columns;
    // Properties left out because they repeat DeviceID in every instance.
    std::vector<std::string> sameAsDeviceId;
};

ColumnPlan PlanColumns(const std::string& className, const std::vector<InstanceRecord>& instances);

}  // namespace telva_host

#endif
