// What the host program tells its user about a --classes list: names the
// schema does not define, and names listed more than once. The query still
// sends every name as given; the plug-in answers unknown names with nothing.
#ifndef STRATA_HOST_PROGRAM_CLASSLISTCHECK_H
#define STRATA_HOST_PROGRAM_CLASSLISTCHECK_H

#include <string>
#include <vector>

namespace telva_host {

class Schema;

// One warning line per questionable name, in list order.
std::vector<std::string> ClassListWarnings(const std::vector<std::string>& classes, const Schema& schema);

}  // namespace telva_host

#endif
