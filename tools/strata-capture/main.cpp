// strata-capture: records what the plug-in sees on this machine, as a machine
// description with sparse drive images that the simulated machine replays.
//   strata-capture --out FOLDER                  (Windows: this machine)
//   strata-capture --machine FILE --out FOLDER   (elsewhere: a simulated machine)
#include "tools/strata-capture/MachineCapture.h"
#include "tools/strata-capture/SystemNames.h"
#include "platform/VisibleText.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

void Usage(std::ostream& out) {
    out << "usage: strata-capture "
        << (strata_capture::ChoosesMachine() ? "--machine FILE " : "") << "--out FOLDER\n"
        << "Writes FOLDER/machine.json and FOLDER/images/: what Strata reads of this machine's\n"
           "drives and volumes. Drives are only read. Replay: strata-host --machine FOLDER/machine.json\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    std::string machine;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        }
        if (i + 1 < argc && arg == "--out") {
            folder = argv[++i];
        } else if (i + 1 < argc && arg == "--machine" && strata_capture::ChoosesMachine()) {
            machine = argv[++i];
        } else {
            std::cerr << "strata-capture: unknown or incomplete option " << strata_text::VisibleText(arg) << "\n";
            Usage(std::cerr);
            return 2;
        }
    }
    if (folder.empty() || (strata_capture::ChoosesMachine() && machine.empty())) {
        Usage(std::cerr);
        return 2;
    }
    try {
        if (!machine.empty()) strata_capture::LoadMachine(machine);
        strata_capture::MachineCapture capture(folder, std::cerr);
        std::string error;
        if (!capture.Run(error)) {
            std::cerr << "strata-capture: " << strata_text::VisibleText(error) << "\n";
            return 1;
        }
        const strata_capture::CaptureLog& log = capture.Log();
        std::cerr << "strata-capture: " << log.drives << " drives, " << log.volumes << " volumes, "
                  << log.bytesCaptured << " bytes captured, " << log.FailureCount()
                  << " failures recorded: " << strata_text::VisibleText(capture.DescriptionPath()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "strata-capture: " << strata_text::VisibleText(e.what()) << "\n";
        return 1;
    }
    return 0;
}
