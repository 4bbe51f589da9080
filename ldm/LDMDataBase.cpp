#include "ldm/LDMDataBase.h"

#include <algorithm>
#include <cctype>

namespace strata_col {

std::string NormalizedGuid(const std::string& guid) {
    std::string normal;
    normal.reserve(guid.size());
    for (std::string::size_type i = 0; i < guid.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(guid[i]);
        if (std::isxdigit(c)) {
            normal.push_back(static_cast<char>(std::tolower(c)));
        }
    }
    return normal;
}

std::vector<DiskPartitionRef> ListPartitionsOfDiskName(const std::string& diskName,
                                                       const LDMDataBase& database) {
    static const RecordMap kNoRecord;
    std::vector<DiskPartitionRef> result;
    typedef std::multimap<std::string, std::string>::const_iterator Iter;
    const std::pair<Iter, Iter> range = database.partitionsByDiskName.equal_range(diskName);
    for (Iter it = range.first; it != range.second; ++it) {
        const RecordTable::const_iterator record = database.partitions.find(it->second);
        result.push_back(DiskPartitionRef{
            &it->second, record != database.partitions.end() ? &record->second : &kNoRecord});
    }
    // The index lists a disk's partitions in the order they were filed (the
    // reader files them in ObjectID order); the answer is in ObjectID order,
    // each ObjectID once.
    const auto before = [](const DiskPartitionRef& a, const DiskPartitionRef& b) {
        return *a.objectId < *b.objectId;
    };
    const auto notBefore = [&before](const DiskPartitionRef& a, const DiskPartitionRef& b) {
        return !before(a, b);
    };
    if (std::adjacent_find(result.begin(), result.end(), notBefore) == result.end()) {
        return result;  // strictly ascending already
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const DiskPartitionRef& a, const DiskPartitionRef& b) {
                         return *a.objectId < *b.objectId;
                     });
    result.erase(std::unique(result.begin(), result.end(),
                             [](const DiskPartitionRef& a, const DiskPartitionRef& b) {
                                 return *a.objectId == *b.objectId;
                             }),
                 result.end());
    return result;
}

}  // namespace strata_col
