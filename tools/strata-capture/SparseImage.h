// Writes a drive's captured sectors into an image of the drive's size that
// holds nothing else: a sparse file, holes everywhere the capture did not read.
#ifndef STRATA_CAPTURE_SPARSEIMAGE_H
#define STRATA_CAPTURE_SPARSEIMAGE_H

#include "tools/strata-capture/SectorCapture.h"

#include <cstdint>
#include <string>

namespace strata_capture {

// Writes into the empty file at `path` (never creates one); false with
// `error` set when the image could not be written.
bool WriteSparseImage(const std::string& path, std::uint64_t length, const CapturedSectors& sectors,
                      std::string& error);

}  // namespace strata_capture

#endif
