#include "ldm/DatabaseCache.h"

#include <utility>

namespace strata_col {

SharedDatabase DatabaseCache::Find(const std::string& blocks) const {
    const auto found = byBlocks_.find(blocks);
    return found == byBlocks_.end() ? SharedDatabase() : found->second;
}

void DatabaseCache::Add(std::string blocks, SharedDatabase database) {
    byBlocks_.emplace(std::move(blocks), std::move(database));
}

}  // namespace strata_col
