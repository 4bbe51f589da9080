// The images raw drive opens read through, kept open between opens.
//
// The plug-in opens a dynamic drive once per volume extent, so reopening the
// image file every time made the simulated machine a large share of a query.
// An image replaced on disk (another file, or a new size) is opened anew, so
// a drive can still change between two opens; writes in place are seen
// through the open file anyway.
#ifndef STRATA_PLATFORM_SIM_OPENIMAGES_H
#define STRATA_PLATFORM_SIM_OPENIMAGES_H

#include "platform/sim/ImageFile.h"

#include <sys/types.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace strata_sim {

class OpenImages {
public:
    // The image at path, open read-only; null when it cannot be opened
    // (why says why). Past a bound of open files, images are opened for the
    // caller alone.
    std::shared_ptr<const ImageFile> Get(const std::string& path, std::string& why);
    // Closes every kept image (their open drives keep theirs until closed).
    void Clear() { kept_.clear(); }
    std::size_t KeptCount() const { return kept_.size(); }

private:
    struct Kept {
        std::shared_ptr<const ImageFile> image;
        dev_t device;
        ino_t inode;
        off_t size;
    };
    std::unordered_map<std::string, Kept> kept_;
};

}  // namespace strata_sim

#endif
