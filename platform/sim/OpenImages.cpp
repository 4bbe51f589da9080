#include "platform/sim/OpenImages.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

namespace strata_sim {

namespace {

// At most a quarter of the process's file limit, and never more than 512.
std::size_t MostKept() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 512;
    return static_cast<std::size_t>(std::min<rlim_t>(512, limit.rlim_cur / 4));
}

}  // namespace

std::shared_ptr<const ImageFile> OpenImages::Get(const std::string& path, std::string& why) {
    struct stat now;
    const bool known = ::stat(path.c_str(), &now) == 0;
    auto it = kept_.find(path);
    if (it != kept_.end()) {
        const Kept& kept = it->second;
        if (known && kept.device == now.st_dev && kept.inode == now.st_ino && kept.size == now.st_size) {
            return kept.image;
        }
        kept_.erase(it);
    }
    auto image = std::make_shared<ImageFile>();
    if (!image->Open(path)) {
        why = image->Error();
        return nullptr;
    }
    static const std::size_t kMostKept = MostKept();
    if (known && kept_.size() < kMostKept) {
        kept_.emplace(path, Kept{image, now.st_dev, now.st_ino, now.st_size});
    }
    return image;
}

}  // namespace strata_sim
