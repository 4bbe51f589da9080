// strata-host: loads the Strata plug-in as the host framework would, asks it
// for its classes once and prints the instances and the log.
#include "host/HostSession.h"
#include "host/PluginModule.h"
#include "host/PluginRegistry.h"
#include "host/core/Schema.h"
#include "host/program/ClassListCheck.h"
#include "host/program/HostOptions.h"
#include "host/program/HostReport.h"
#include "host/program/TerminalWidth.h"
#include "platform/VisibleText.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>

#ifndef _WIN32
#include "platform/sim/SimMachine.h"
#endif

namespace {

const int kExitFailure = 1;
const int kExitUsage = 2;

// One message on standard error. File names and error texts may carry bytes
// from a description or a disk: control bytes are shown escaped.
void Say(const std::string& message) {
    const std::string shown = strata_text::VisibleText(message);
    std::cerr << "strata-host: " << shown << "\n";
}

// The same when memory has run out, as making the escaped copy may fail too:
// then the text goes out as it is (our own words and a class name).
void SayWithoutMemory(const char* message) {
    try {
        Say(message);
    } catch (const std::bad_alloc&) {
        std::cerr << "strata-host: " << message << "\n";
    }
}

// Loads the simulated machine the plug-in will see. False after a message.
bool LoadMachine(const std::string& file) {
#ifdef _WIN32
    Say("--machine " + file + ": this build inventories the real machine");
    return false;
#else
    try {
        strata_sim::LoadMachineFile(file);
        return true;
    } catch (const std::exception& error) {
        Say("cannot load machine " + file + ": " + error.what());
        return false;
    }
#endif
}

void WriteReport(const telva_host::HostOptions& options, const telva_host::HostReport& report) {
    switch (options.format) {
    case telva_host::ReportFormat::kJson: telva_host::WriteJsonReport(std::cout, report); break;
    case telva_host::ReportFormat::kMof: telva_host::WriteMofReport(std::cout, report); break;
    case telva_host::ReportFormat::kDot: telva_host::WriteDotReport(std::cout, report); break;
    default: {
        const std::size_t width = options.width >= 0 ? static_cast<std::size_t>(options.width)
                                                     : telva_host::StandardOutputWidth();
        telva_host::WriteTextReport(std::cout, report, width);
        break;
    }
    }
}

// A report that never reached its reader (a full disk, a closed output) is
// a failure, not an empty success. errno, from the write that failed, says why.
bool ReportWritten() {
    std::cout.flush();
    if (std::cout) return true;
    Say(std::string("cannot write the report") + (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
    return false;
}

int Run(const telva_host::HostOptions& options) {
    telva_host::CoreLogger::Instance().SetEchoLevel(options.logLevel);
    for (const std::string& warning : telva_host::ClassListWarnings(options.classes, telva_host::Schema::Builtin())) {
        Say("warning: --classes: " + warning);
    }
    if (!options.machineFile.empty() && !LoadMachine(options.machineFile)) return kExitFailure;

    const std::string pluginPath = options.pluginPath.empty()
                                       ? telva_host::ProgramFolder() + telva_host::DefaultPluginFileName()
                                       : options.pluginPath;
    telva_host::HostSession session;
    try {
        session.LoadPlugin(pluginPath);
    } catch (const std::exception& error) {
        Say(error.what());
        return kExitFailure;
    }
    if (session.Registered().size() > 1) {
        Say(pluginPath + " registered " + std::to_string(session.Registered().size()) +
            " callback objects; asking the first");
    }

    int status = 0;
    telva_host::PluginInfo plugin;
    try {
        NTELVA20::IPluginCallbacks* callbacks = session.Plugin();
        plugin.name = callbacks->GetName();
        plugin.version = callbacks->GetVersion();
        plugin.secondaryVersion = callbacks->GetSecondaryVersion();
        plugin.status = callbacks->GetStatus();
        session.Query(options.classes);
    } catch (const std::bad_alloc&) {
        SayWithoutMemory("the query failed: not enough memory");
        status = kExitFailure;
    } catch (const std::exception& error) {
        Say(std::string("the query failed: ") + error.what());
        status = kExitFailure;
    } catch (...) {
        Say("the query failed with an unknown exception");
        status = kExitFailure;
    }
    errno = 0;
    // A report too large for the memory ends the run with a message, not an
    // abort; what was written before it stays.
    bool written = false;
    try {
        WriteReport(options, telva_host::CollectReport(session, plugin, options.classes));
        written = ReportWritten();
    } catch (const telva_host::ReportMemoryError& error) {
        std::cout.flush();
        SayWithoutMemory(error.what());
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        SayWithoutMemory("not enough memory to write the report");
    }
    telva_host::PluginRegistry::Instance().ReleaseAll();
    return written ? status : kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    telva_host::HostOptions options;
    try {
        options = telva_host::ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const telva_host::UsageError& error) {
        Say(error.what());
        std::cerr << "\n" << telva_host::UsageText();
        return kExitUsage;
    }
    if (options.help) {
        std::cout << telva_host::UsageText();
        return 0;
    }
    return Run(options);
}
