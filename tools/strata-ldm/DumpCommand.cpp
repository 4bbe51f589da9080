#include "tools/strata-ldm/DumpCommand.h"
#include "platform/VisibleText.h"

#include "ldm/LDMDBParser.h"
#include "tools/strata-ldm/DatabaseDiagnosis.h"
#include "tools/strata-ldm/DatabaseJson.h"
#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/ImageFileAccess.h"
#include "tools/strata-ldm/OutputCheck.h"
#include "tools/strata-ldm/SectorSize.h"

#include <cerrno>
#include <iostream>
#include <map>
#include <new>

namespace strata_tools {

namespace {

// Digits only: strtoul would take "-1" as a huge number.
bool ParseSectorSize(const std::string& text, std::uint32_t& sectorSize) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long value = std::stoul(text);
    if (!IsSectorSize(value)) return false;
    sectorSize = static_cast<std::uint32_t>(value);
    return true;
}

void Tell(const std::string& image, const std::string& what) {
    // Image names and record texts may hold control bytes: shown escaped.
    std::cerr << "strata-ldm: " << strata_text::VisibleText(image + ": " + what) << "\n";
}

// Decodes one image into `databases`; false (after saying why) when it
// gives no records.
// `reader` reads through `access`; images whose record blocks are the same
// bytes share one decoded database through its cache.
bool DecodeImage(strata_col::RawDiskAccess& access, strata_col::LDMDBParser& reader,
                 const std::string& path, strata_col::DiskDatabaseMap& databases,
                 std::map<std::string, std::string>& imageOfGuid) {
    const strata_col::DiskDatabaseMap found = reader.ReadDatabases(strata_col::DeviceMap{{"image", path}});
    if (found.empty()) {
        Tell(path, WhyNoDatabase(access, path));
        return false;
    }
    const std::string& guid = found.begin()->first;
    const strata_col::SharedDatabase& database = found.begin()->second;
    const bool hasRecords = RecordCount(*database) != 0;
    if (!hasRecords) {
        Tell(path, WhyEmpty(access, path));
    } else {
        for (const std::string& missing : MissingRecords(guid, *database)) Tell(path, "partial database: " + missing);
    }
    for (const std::string& leftOut : LeftOutBlocks(access, path)) Tell(path, "left out: " + leftOut);
    for (const std::string& tooLarge : SectorFieldsBeyond64Bits(access, path, *database)) Tell(path, tooLarge);
    const auto earlier = imageOfGuid.find(guid);
    if (earlier != imageOfGuid.end()) {
        Tell(path, "carries disk GUID " + guid + " as " + earlier->second + " does; its database is printed");
    }
    imageOfGuid[guid] = path;
    databases[guid] = database;
    return hasRecords;
}

}  // namespace

int DumpCommand(const std::vector<std::string>& args) {
    std::uint32_t sectorSize = 512;
    std::vector<std::string> images;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--sector-size") {
            // One sector size reads every image; given after one, it would
            // seem to apply to the later images only.
            if (!images.empty()) {
                std::cerr << "strata-ldm: --sector-size must come before the images\n";
                return 2;
            }
            if (i + 1 == args.size() || !ParseSectorSize(args[i + 1], sectorSize)) {
                std::cerr << "strata-ldm: --sector-size needs a power of two from 512 to 65536\n";
                return 2;
            }
            ++i;
        } else {
            images.push_back(args[i]);
        }
    }
    if (images.empty()) {
        std::cerr << "usage: strata-ldm dump [--sector-size N] IMAGE...\n";
        return 2;
    }
    // Windows device paths (\\.\PhysicalDrive1) are read the way the plug-in
    // reads them, with the drive's own sector size; files as images.
    strata_col::PlatformDiskAccess platform;
    ImageFileAccess files(sectorSize);
    strata_col::DatabaseCache decoded;
    strata_col::LDMDBParser platformReader(platform, &decoded);
    strata_col::LDMDBParser fileReader(files, &decoded);
    strata_col::DiskDatabaseMap databases;
    std::map<std::string, std::string> imageOfGuid;
    bool allDecoded = true;
    for (const std::string& path : images) {
        const bool device = IsDevicePath(path);
        const std::string problem = device ? "" : ImageFileProblem(path);
        if (!problem.empty()) {
            Tell(path, problem);
            allDecoded = false;
            continue;
        }
        // One image that cannot be decoded never hides the others.
        try {
            allDecoded = (device ? DecodeImage(platform, platformReader, path, databases, imageOfGuid)
                                 : DecodeImage(files, fileReader, path, databases, imageOfGuid)) &&
                         allDecoded;
        } catch (const std::bad_alloc&) {
            Tell(path, "not enough memory to decode it");
            allDecoded = false;
        } catch (const std::exception& error) {
            Tell(path, error.what());
            allDecoded = false;
        }
    }
    errno = 0;
    std::cout << DatabasesJsonText(databases) << "\n";
    if (!OutputWritten("strata-ldm")) return 1;
    return allDecoded ? 0 : 1;
}

}  // namespace strata_tools
