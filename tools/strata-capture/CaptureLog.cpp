#include "tools/strata-capture/CaptureLog.h"

#include <cstdio>

namespace strata_capture {

namespace {

std::string HexText(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", value);
    return text;
}

const std::uint32_t kWin32Facility = 0x80070000u;

}  // namespace

void CaptureLog::Fail(const RecordedFailure& failure) {
    if (!seen_.emplace(failure.call, failure.controlCode, failure.target, failure.error,
                       failure.index)
             .second) {
        return;
    }
    Json entry = Json::object();
    entry["call"] = failure.call;
    if (failure.controlCode != 0) entry["controlCode"] = HexText(failure.controlCode);
    if (!failure.target.empty()) entry["target"] = failure.target;
    entry["error"] = failure.error;
    if (failure.index >= 0) entry["index"] = failure.index;
    failures_.push_back(entry);
}

std::uint32_t ErrorOfHresult(std::int32_t hr) {
    const std::uint32_t value = static_cast<std::uint32_t>(hr);
    if ((value & 0xFFFF0000u) == kWin32Facility) return value & 0xFFFFu;
    return value;
}

}  // namespace strata_capture
