#include "collect/LogMessage.h"

#include "platform/win32.h"
#include "plugin/telva.h"

namespace strata_col {

namespace {
LogMessage* g_instance = nullptr;
std::uintptr_t g_enabled = 0;

const DWORD kSystemMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
}  // namespace

LogMessage::~LogMessage() {}

LogMessage* LogMessage::Instance() {
    // The first call happens during registration, before any query can run.
    if (g_instance == nullptr) g_instance = new LogMessage();
    return g_instance;
}

void LogMessage::SetEnabled(std::uintptr_t value) { g_enabled = value; }

void LogMessage::Write(const std::string& text, unsigned level) {
    if (g_enabled == 0 || text.empty()) return;
    NTELVA20::ILogger* logger = NTELVA20::TRootObject::GetCoreLogger();
    if (logger != nullptr) logger->Write(level, text);
}

std::string LogMessage::SystemErrorText(std::uint32_t code) {
    LPSTR buffer = nullptr;
    DWORD length = FormatMessageA(kSystemMessageFlags, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return std::string();
    std::string text(buffer, length);
    LocalFree(buffer);
    return text;
}

void LogMessage::WriteSystemError(std::uint32_t code) {
    std::string text = SystemErrorText(code);
    if (!text.empty()) WriteLevel4(text);
}

}  // namespace strata_col
