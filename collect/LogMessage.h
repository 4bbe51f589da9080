// The plug-in's one logging channel to the host's core logger.
#ifndef STRATA_COLLECT_LOGMESSAGE_H
#define STRATA_COLLECT_LOGMESSAGE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace strata_col {

class LogMessage {
public:
    virtual ~LogMessage();

    // The process-wide object, created on first request and never freed.
    static LogMessage* Instance();
    // Process-wide switch; zero turns all logging off.
    static void SetEnabled(std::uintptr_t value);

    void Write(const std::string& text, unsigned level);
    void WriteLevel0(const std::string& text) { Write(text, 0); }
    void WriteLevel3(const std::string& text) { Write(text, 3); }
    void WriteLevel4(const std::string& text) { Write(text, 4); }

    // The system's text for an error code; empty when it has none.
    std::string SystemErrorText(std::uint32_t code);
    // Writes the system's text for the code at level 4, if there is one.
    void WriteSystemError(std::uint32_t code);

private:
    LogMessage() {}
};

}  // namespace strata_col

#endif
