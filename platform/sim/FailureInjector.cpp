#include "platform/sim/FailureInjector.h"

#include "platform/sim/PathNames.h"

#include <cstring>

namespace strata_sim {

namespace {

const char* const kKnownCalls[] = {
    "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo", "SetupDiEnumDeviceInterfaces",
    "SetupDiGetDeviceInstanceIdA", "SetupDiGetDeviceInterfaceDetailA", "SetupDiDestroyDeviceInfoList",
    "CreateFileA", "CloseHandle", "DeviceIoControl",
    "FindFirstVolumeA", "FindNextVolumeA", "FindVolumeClose",
    "FindFirstVolumeMountPointA", "FindNextVolumeMountPointA", "FindVolumeMountPointClose",
    "GetVolumeNameForVolumeMountPointA", "GetLogicalDriveStringsA", "GetDriveTypeA",
    "GetVolumeInformationA", "GetDiskFreeSpaceExA", "GetVolumePathNameA", "GetVolumePathNamesForVolumeNameA",
    "GetSystemDirectoryA", "GetWindowsDirectoryA", "FormatMessageA",
    "CoInitialize", "CoCreateInstance", "IDiskQuotaControl::Initialize", "IDiskQuotaControl::GetQuotaState",
    "_open", "_lseek", "_lseeki64", "_read", "_close",
};

}  // namespace

bool IsKnownCall(const std::string& name) {
    for (const char* known : kKnownCalls) {
        if (name == known) return true;
    }
    return false;
}

void FailureInjector::Install(const std::vector<Failure>& failures) {
    failures_ = failures;
    seen_.assign(failures.size(), 0);
}

bool FailureInjector::Matches(const Failure& failure, const CallSite& site) {
    if (failure.call != site.call) return false;
    if (failure.controlCode != 0 && failure.controlCode != site.controlCode) return false;
    if (failure.index >= 0 && failure.index != site.index) return false;
    if (failure.target.empty()) return true;
    for (const std::string& subject : site.subjects) {
        if (EqualNoCase(subject, failure.target)) return true;
    }
    return false;
}

bool FailureInjector::ShouldFail(const CallSite& site, std::uint32_t& error) {
    bool fail = false;
    for (std::size_t i = 0; i < failures_.size(); ++i) {
        const Failure& failure = failures_[i];
        if (!Matches(failure, site)) continue;
        ++seen_[i];
        if (!fail && (failure.nth == 0 || failure.nth == seen_[i])) {
            fail = true;
            error = failure.error;
        }
    }
    return fail;
}

}  // namespace strata_sim
