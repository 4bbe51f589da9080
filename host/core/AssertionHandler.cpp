// The handler behind BOOST_ASSERT in the plug-in (built with
// BOOST_ENABLE_ASSERT_HANDLER): an empty host pointer dereferenced by the
// plug-in becomes a host failure that its guards catch, not a crash.
#include "plugin/telva.h"

#include <boost/assert.hpp>

#ifdef _WIN32
#define TELVA_ASSERT_EXPORT __declspec(dllexport)
#else
#define TELVA_ASSERT_EXPORT __attribute__((visibility("default")))
#endif

namespace {

std::string Where(char const* function, char const* file, long line) {
    return std::string(" in ") + function + " (" + file + ":" + std::to_string(line) + ")";
}

}  // namespace

namespace boost {

TELVA_ASSERT_EXPORT void assertion_failed(char const* expr, char const* function, char const* file,
                                          long line) {
    throw NTELVA20::TTelvaException(std::string("empty pointer dereferenced: ") + expr +
                                    Where(function, file, line));
}

TELVA_ASSERT_EXPORT void assertion_failed_msg(char const* expr, char const* msg,
                                              char const* function, char const* file, long line) {
    throw NTELVA20::TTelvaException(std::string("empty pointer dereferenced: ") + expr + " (" +
                                    msg + ")" + Where(function, file, line));
}

}  // namespace boost
