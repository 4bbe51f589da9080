#include "host/CoreLogger.h"

#include "platform/VisibleText.h"

#include <cstdio>

namespace telva_host {

CoreLogger& CoreLogger::Instance() {
    // Never destroyed: plug-ins may log from static destructors.
    static CoreLogger* logger = new CoreLogger();
    return *logger;
}

CoreLogger::CoreLogger() : echoLevel_(-1) {}

void CoreLogger::Write(unsigned level, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(LogLine{level, text});
    if (echoLevel_ >= 0 && level <= static_cast<unsigned>(echoLevel_)) {
        // System error texts end in "\r\n"; one line per entry reads better.
        std::string shown = text;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
        std::fprintf(stderr, "[%u] %s\n", level, strata_text::VisibleText(shown).c_str());
    }
}

std::vector<LogLine> CoreLogger::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

void CoreLogger::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

void CoreLogger::SetEchoLevel(int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    echoLevel_ = level;
}

}  // namespace telva_host
