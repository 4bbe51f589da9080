// The databases decoded during one query, by the record blocks they were
// decoded from.
#ifndef STRATA_LDM_DATABASECACHE_H
#define STRATA_LDM_DATABASECACHE_H

#include "ldm/DiskDatabase.h"

#include <cstddef>
#include <string>
#include <unordered_map>

namespace strata_col {

// Every disk of a group carries the group's records, so most disks of a
// query decode to a database already decoded: the cache hands that one out
// again when the blocks are byte for byte the same. It lives for one query;
// every drive is still read each time.
class DatabaseCache {
public:
    // The database decoded from exactly these blocks, or null.
    SharedDatabase Find(const std::string& blocks) const;
    void Add(std::string blocks, SharedDatabase database);
    // Distinct databases decoded.
    std::size_t Size() const { return byBlocks_.size(); }

private:
    std::unordered_map<std::string, SharedDatabase> byBlocks_;
};

}  // namespace strata_col

#endif
