#include "host/program/HostOptions.h"

#include <cstdlib>

namespace telva_host {

namespace {

std::vector<std::string> SplitClassList(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    for (char c : text + ",") {
        if (c != ',') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    return names;
}

ReportFormat ParseFormat(const std::string& text) {
    if (text == "text") return ReportFormat::kText;
    if (text == "json") return ReportFormat::kJson;
    if (text == "mof") return ReportFormat::kMof;
    if (text == "dot") return ReportFormat::kDot;
    throw UsageError("unknown format '" + text + "' (text, json, mof or dot)");
}

int ParseNumber(const std::string& option, const std::string& text, long lowest, long highest) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < lowest || number > highest) {
        throw UsageError(option + " needs a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not '" + text + "'");
    }
    return static_cast<int>(number);
}

}  // namespace

const std::vector<std::string>& AllClasses() {
    static const std::vector<std::string> classes = {
        "ORVA_DiskDrive",
        "ORVA_CDROMDrive",
        "ORVA_DVDDrive",
        "ORVA_TapeDrive",
        "ORVA_DisketteDrive",
        "ORVA_DiskPartition",
        "ORVA_LogicalDisk",
        "ORVA_DynamicExtent",
        "ORVA_DynamicDiskGroup",
        "ORVA_MediaPresent",
        "ORVA_PartitionPresent",
        "ORVA_LogicalDiskBasedOnPartition",
        "ORVA_LogicalDiskBasedOnExtent",
        "ORVA_DynamicVolumeBasedOnExtent",
        "ORVA_DynamicExtentBasedOn",
        "ORVA_DriveInDynamicDiskGroup",
        "ORVA_DynamicExtentInDiskGroup",
    };
    return classes;
}

HostOptions ParseHostOptions(const std::vector<std::string>& arguments) {
    HostOptions options;
    options.classes = AllClasses();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool hasValue = false;
        const std::size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name != "--plugin" && name != "--machine" && name != "--classes" &&
            name != "--format" && name != "--log-level" && name != "--width") {
            throw UsageError("unknown argument '" + arguments[i] + "'");
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
            value = arguments[++i];
        }
        // An empty file name would inventory an empty machine, or the default plug-in.
        if ((name == "--plugin" || name == "--machine") && value.empty()) throw UsageError(name + " needs a file name");
        if (name == "--plugin") options.pluginPath = value;
        if (name == "--machine") options.machineFile = value;
        if (name == "--classes") options.classes = SplitClassList(value);
        if (name == "--format") options.format = ParseFormat(value);
        if (name == "--log-level") options.logLevel = ParseNumber(name, value, -1, 1000);
        if (name == "--width") options.width = ParseNumber(name, value, 0, 100000);
    }
    return options;
}

const char* UsageText() {
    return "usage: strata-host [--plugin PATH] [--machine FILE] [--classes A,B,...]\n"
           "                   [--format text|json|mof|dot] [--log-level N] [--width N]\n"
           "\n"
           "Loads the Strata plug-in, asks it once for the classes (all of them by\n"
           "default, information classes first) and prints what it answered.\n"
           "\n"
           "  --plugin PATH    the plug-in module (default: strata.pi beside this program)\n"
           "  --machine FILE   the simulated machine to inventory (JSON description)\n"
           "  --classes LIST   exactly these classes, in this order (comma-separated)\n"
           "  --format F       text tables (default), json, mof, or dot (the storage\n"
           "                   topology as a Graphviz graph)\n"
           "  --log-level N    show log lines of level N and below on stderr\n"
           "                   (default 3; -1 shows none)\n"
           "  --width N        wrap text tables at N columns (0: never; default: the\n"
           "                   terminal's width, no wrapping when not a terminal)\n";
}

}  // namespace telva_host
