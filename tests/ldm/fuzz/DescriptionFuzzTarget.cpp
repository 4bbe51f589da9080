// libFuzzer target for the two description readers: the simulated
// machine's (machine descriptions) and strata-ldm's (disk-group
// descriptions). Every input goes to both. A description may only be
// refused with std::runtime_error; any other exception, a crash, a leak or
// a hang is a finding.
#include "platform/UniqueKeyJson.h"
#include "platform/sim/SimMachine.h"
#include "platform/win32.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <nlohmann/json.hpp>

namespace {

// Image paths lead nowhere: the descriptions are what is fuzzed.
const char kNoFolder[] = "/nonexistent-strata-fuzz";
// Larger database areas are written by the tests, not here (each one is
// built in memory).
const std::uint64_t kMaxAreaBytes = 1 << 20;

// What the plug-in does first on an installed machine: walk its volumes
// and their mount folders.
void WalkVolumes() {
    char name[MAX_PATH];
    const HANDLE volumes = FindFirstVolumeA(name, sizeof name);
    if (volumes == INVALID_HANDLE_VALUE) return;
    do {
        char folder[MAX_PATH];
        const HANDLE mounts = FindFirstVolumeMountPointA(name, folder, sizeof folder);
        if (mounts == INVALID_HANDLE_VALUE) continue;
        do {
            char path[MAX_PATH];
            GetVolumePathNameA((std::string(name) + folder).c_str(), path, sizeof path);
        } while (FindNextVolumeMountPointA(mounts, folder, sizeof folder));
        FindVolumeMountPointClose(mounts);
    } while (FindNextVolumeA(volumes, name, sizeof name));
    FindVolumeClose(volumes);
}

void MachineDescription(const std::string& text) {
    try {
        strata_sim::LoadMachineJson(text, kNoFolder);
        WalkVolumes();
    } catch (const std::runtime_error&) {
    }
    strata_sim::ResetMachine();
}

// As strata-ldm write reads it: a key given twice is refused too.
void GroupDescription(const std::string& text) {
    nlohmann::json json;
    try {
        json = strata_json::ParseUniqueKeys(text);
    } catch (const nlohmann::json::exception&) {
        return;  // no JSON
    } catch (const std::runtime_error&) {
        return;  // a key given twice
    }
    try {
        const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(json);
        const strata_tools::DiskImageWriter writer(group);
        for (const strata_tools::DiskDescription& disk : group.disks) {
            writer.MasterBootRecord(disk);
            writer.PrivateHeaderSector(disk);
        }
        if (group.configSectors * group.sectorSize <= kMaxAreaBytes) writer.DatabaseArea();
    } catch (const std::runtime_error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    MachineDescription(text);
    GroupDescription(text);
    return 0;
}
