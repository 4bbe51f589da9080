#include "ldm/LDMDataBase.h"

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

RecordTable GetDiskPartitions(const std::string& diskGuid, const LDMDataBase& database) {
    RecordTable result;
    const std::string wanted = NormalizedGuid(diskGuid);
    if (wanted.empty()) {
        return result;
    }
    // Every entry is compared; with several matches the last name wins.
    const std::string* diskName = nullptr;
    for (std::map<std::string, std::string>::const_iterator it = database.diskGuidByName.begin();
         it != database.diskGuidByName.end(); ++it) {
        if (NormalizedGuid(it->second) == wanted) {
            diskName = &it->first;
        }
    }
    if (diskName == nullptr) {
        return result;
    }
    typedef std::multimap<std::string, std::string>::const_iterator Iter;
    const std::pair<Iter, Iter> range = database.partitionsByDiskName.equal_range(*diskName);
    for (Iter it = range.first; it != range.second; ++it) {
        const RecordTable::const_iterator record = database.partitions.find(it->second);
        result.insert(RecordTable::value_type(
            it->second, record != database.partitions.end() ? record->second : RecordMap()));
    }
    return result;
}

}  // namespace strata_col
