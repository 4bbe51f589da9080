// strata-ldm: dumps the dynamic-disk databases of images or drives as JSON,
// and writes dynamic-disk images from a description of a disk group.
#include "tools/strata-ldm/DumpCommand.h"
#include "platform/VisibleText.h"
#include "tools/strata-ldm/WriteCommand.h"

#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage:\n"
    "  strata-ldm dump [--sector-size N] IMAGE...\n"
    "      print the dynamic-disk database of each image as JSON, keyed by the\n"
    "      disk GUID of its private header; Windows device paths (\\\\.\\PhysicalDrive1)\n"
    "      are read with the drive's own sector size\n"
    "  strata-ldm write [--force] DESCRIPTION.json OUT.img [DISK-NAME]\n"
    "      write the image of one disk of the described group (the first disk\n"
    "      when no name is given)\n"
    "  strata-ldm write-all [--force] DESCRIPTION.json FOLDER\n"
    "      write the image of every disk into FOLDER, named by each disk's \"image\"\n"
    "  An existing file is never replaced, nor a symbolic link followed; --force\n"
    "  replaces earlier dynamic-disk images.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "dump") return strata_tools::DumpCommand(args);
        if (command == "write") return strata_tools::WriteCommand(args);
        if (command == "write-all") return strata_tools::WriteAllCommand(args);
        if (command == "--help" || command == "-h") {
            std::cout << kUsage;
            return 0;
        }
    } catch (const std::bad_alloc&) {
        std::cerr << "strata-ldm: not enough memory\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "strata-ldm: " << strata_text::VisibleText(error.what()) << "\n";
        return 1;
    }
    std::cerr << kUsage;
    return 2;
}
