// strata-ldm: dumps the dynamic-disk databases of images or drives as JSON,
// writes dynamic-disk images from a description of a disk group, and lists,
// extracts and verifies the volumes of dynamic-disk images.
#include "tools/strata-ldm/DumpCommand.h"
#include "platform/VisibleText.h"
#include "tools/strata-ldm/VolumeCommands.h"
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
    "  strata-ldm volumes [--format json] [--map] [--dm-table] IMAGE...\n"
    "      list every volume of every disk group of the images: layout, size,\n"
    "      members, and whether the images given hold it whole, degraded or not;\n"
    "      --map adds where each run of its bytes lies, --dm-table prints\n"
    "      device-mapper tables instead\n"
    "  strata-ldm extract --volume NAME --out FILE [--group NAME] [--plex N] IMAGE...\n"
    "      write the volume's bytes to FILE (- for standard output); NAME is its\n"
    "      name, GUID or drive hint; a mirror or RAID-5 member may be missing\n"
    "  strata-ldm verify --volume NAME [--group NAME] IMAGE...\n"
    "      read every row: RAID-5 rows whose parity disagrees, mirror ranges whose\n"
    "      plexes differ, as JSON; exit 1 when any\n"
    "  strata-ldm check [--format json] IMAGE...\n"
    "      say why a group's disks are Missing, Invalid or behind, and each\n"
    "      volume's outcome: healthy, degraded or failed; exit 0 clean, 1 findings\n"
    "      with every volume readable, 2 a volume failed or an image unusable\n"
    "  Images are read with 512-byte sectors unless --sector-size N says otherwise.\n"
    "  An existing file is never replaced, nor a symbolic link followed; --force\n"
    "  replaces earlier dynamic-disk images, or an earlier extracted volume.\n";

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
        if (command == "volumes") return strata_tools::VolumesCommand(args);
        if (command == "extract") return strata_tools::ExtractCommand(args);
        if (command == "verify") return strata_tools::VerifyCommand(args);
        if (command == "check") return strata_tools::CheckCommand(args);
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
