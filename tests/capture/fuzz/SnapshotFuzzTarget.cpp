// libFuzzer target for captured folders: a machine description and the one
// drive image it names, as strata-capture leaves them and the simulated
// machine replays them, queried by the plug-in for every class.
//
// The input is the description (JSON), a NUL byte, then the image's bytes;
// the description names the image "disk.img". A description may only be
// refused with std::runtime_error; the query must answer without letting
// anything out; any crash, leak, undefined behaviour or hang is a finding.
#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"
#include "plugin/StrataCallbacks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace {

// The folder of the snapshot, one for the whole run.
const std::string& Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/strata-snapshot-fuzz-XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        return std::string(name);
    }();
    return folder;
}

// The plug-in, registered once with the process's plug-in manager.
strata_col::TStrataCallbacks& Plugin() {
    static strata_col::TStrataCallbacks* plugin = new strata_col::TStrataCallbacks();
    return *plugin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t end = input.find('\0');
    const std::string description = input.substr(0, end);
    {
        std::ofstream image(Folder() + "/disk.img", std::ios::binary | std::ios::trunc);
        if (end != std::string::npos) image << input.substr(end + 1);
    }
    try {
        strata_sim::LoadMachineJson(description, Folder());
    } catch (const std::runtime_error&) {
        strata_sim::ResetMachine();
        return 0;
    }
    {
        telva_host::HostSession session;
        session.UsePlugin(&Plugin());
        session.Query(telva_host::AllClasses());
        session.Reset();  // the log is the process's: empty it for the next input
    }
    strata_sim::ResetMachine();
    return 0;
}
