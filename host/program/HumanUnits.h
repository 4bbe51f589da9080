// Sizes as a person reads them: binary units with three significant digits.
#ifndef STRATA_HOST_PROGRAM_HUMANUNITS_H
#define STRATA_HOST_PROGRAM_HUMANUNITS_H

#include <cstdint>
#include <string>

namespace telva_host {

// 0 B, 512 B, 1.00 KiB, 14.9 GiB, 120 GiB, 1.00 TiB, 16.0 EiB.
std::string HumanBytes(std::uint64_t bytes);

// "120 GiB (128849018880)": the human size beside the exact bytes.
std::string BytesWithHuman(std::uint64_t bytes);

}  // namespace telva_host

#endif
