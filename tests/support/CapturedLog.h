// The plug-in's log lines as the host's core logger received them.
#ifndef STRATA_TESTS_SUPPORT_CAPTUREDLOG_H
#define STRATA_TESTS_SUPPORT_CAPTUREDLOG_H

#include <string>
#include <vector>

namespace strata_test {

// Turns the plug-in's logging on and starts from an empty log.
class CapturedLog {
public:
    CapturedLog();

    std::vector<std::string> Texts() const;
    // Texts written at this level.
    std::vector<std::string> Texts(unsigned level) const;
    bool Has(const std::string& text) const;
    bool Has(const std::string& text, unsigned level) const;
    // Lines that contain the text.
    int CountContaining(const std::string& text) const;
};

}  // namespace strata_test

#endif
