// What a capture has recorded so far: the failures the machine answered with,
// and the counts of its summary.
#ifndef STRATA_CAPTURE_CAPTURELOG_H
#define STRATA_CAPTURE_CAPTURELOG_H

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>
#include <tuple>

namespace strata_capture {

using Json = nlohmann::ordered_json;

// One failed call, as a description's failure entry replays it.
struct RecordedFailure {
    std::string call;
    std::uint32_t controlCode = 0;  // DeviceIoControl only
    std::string target;
    std::uint32_t error = 0;
    std::int64_t index = -1;  // SetupDiEnum* only
};

class CaptureLog {
public:
    // Records a failure once; the same failure seen again adds nothing.
    void Fail(const RecordedFailure& failure);
    // The failure entries of the description, in the order first seen.
    const Json& Failures() const { return failures_; }

    std::uint64_t drives = 0;
    std::uint64_t volumes = 0;
    std::uint64_t bytesCaptured = 0;
    std::size_t FailureCount() const { return failures_.size(); }

private:
    std::set<std::tuple<std::string, std::uint32_t, std::string, std::uint32_t, std::int64_t>> seen_;
    Json failures_ = Json::array();
};

// The Win32 code a COM failure is recorded with: the code inside a
// 0x8007xxxx HRESULT, else the HRESULT itself, as descriptions take it.
std::uint32_t ErrorOfHresult(std::int32_t hr);

}  // namespace strata_capture

#endif
