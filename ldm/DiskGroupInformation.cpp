#include "ldm/DiskGroupInformation.h"

#include "collect/LogMessage.h"
#include "ldm/DatabaseLookup.h"

#include <set>

namespace strata_col {

std::vector<PropertyMap> DiskGroupInformation::Collect(const DiskDatabaseMap& databases) {
    std::vector<PropertyMap> groups;
    // Every disk of a group carries the group's record; report it once.
    std::set<std::string> reported;
    for (const auto& disk : databases) {
        for (const auto& group : disk.second->diskGroups) {
            const std::string name = RecordField(group.second, "Name");
            if (name.empty()) {
                LogMessage::Instance()->WriteLevel3("Disk group record " + group.first +
                                                    " without a name on disk " + disk.first +
                                                    " not reported.");
                continue;
            }
            if (!reported.insert(name).second) continue;
            PropertyMap record;
            record.insert(std::make_pair(std::string("CollectionID"), name));
            record.insert(std::make_pair(std::string("ElementName"), name));
            record.insert(std::make_pair(std::string("DiskGroupID"),
                                         RecordField(group.second, "DiskGroupID")));
            groups.push_back(record);
        }
    }
    return groups;
}

}  // namespace strata_col
