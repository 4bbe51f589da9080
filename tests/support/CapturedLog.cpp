#include "tests/support/CapturedLog.h"

#include "collect/LogMessage.h"
#include "host/CoreLogger.h"

#include <algorithm>

namespace strata_test {

CapturedLog::CapturedLog() {
    strata_col::LogMessage::SetEnabled(1);
    telva_host::CoreLogger::Instance().Clear();
}

std::vector<std::string> CapturedLog::Texts() const {
    std::vector<std::string> texts;
    for (const telva_host::LogLine& line : telva_host::CoreLogger::Instance().Lines()) {
        texts.push_back(line.text);
    }
    return texts;
}

std::vector<std::string> CapturedLog::Texts(unsigned level) const {
    std::vector<std::string> texts;
    for (const telva_host::LogLine& line : telva_host::CoreLogger::Instance().Lines()) {
        if (line.level == level) texts.push_back(line.text);
    }
    return texts;
}

bool CapturedLog::Has(const std::string& text) const {
    const std::vector<std::string> texts = Texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool CapturedLog::Has(const std::string& text, unsigned level) const {
    const std::vector<std::string> texts = Texts(level);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int CapturedLog::CountContaining(const std::string& text) const {
    int count = 0;
    for (const std::string& line : Texts()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

}  // namespace strata_test
