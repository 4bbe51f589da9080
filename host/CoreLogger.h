// The host's core logger: keeps every line with its level and echoes the
// lines at or below a chosen level to stderr as they arrive.
#ifndef STRATA_HOST_CORELOGGER_H
#define STRATA_HOST_CORELOGGER_H

#include "host/HostApi.h"

#include <mutex>
#include <string>
#include <vector>

namespace telva_host {

struct LogLine {
    unsigned level;
    std::string text;
};

class TELVA_HOST_API CoreLogger : public NTELVA20::ILogger {
public:
    // The process-wide logger, the one TRootObject::GetCoreLogger gives.
    static CoreLogger& Instance();

    void Write(unsigned level, const std::string& text) override;

    std::vector<LogLine> Lines() const;
    void Clear();
    // Lines whose level is at most this go to stderr too; negative (the
    // default) echoes nothing.
    void SetEchoLevel(int level);

private:
    CoreLogger();

    mutable std::mutex mutex_;
    std::vector<LogLine> lines_;
    int echoLevel_;
};

}  // namespace telva_host

#endif
