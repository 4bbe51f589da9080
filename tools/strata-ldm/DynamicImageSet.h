// The dynamic-disk images a command was given, read once: each image's
// private header and database (decoded by the plug-in's reader, with the
// fields a volume's layout needs), sorted into disk groups, and each group's
// volumes mapped onto the images that were given.
#ifndef STRATA_TOOLS_DYNAMICIMAGESET_H
#define STRATA_TOOLS_DYNAMICIMAGESET_H

#include "ldm/RawDiskAccess.h"
#include "tools/strata-ldm/VolumeMap.h"

#include <memory>
#include <string>
#include <vector>

namespace strata_tools {

// True for a Windows device path (\\.\PhysicalDrive1), read through the
// platform the way the plug-in reads it.
bool IsDevicePath(const std::string& path);

class DynamicImageSet {
public:
    // Images are read with `sectorSize`-byte sectors; device paths with the
    // drive's own.
    DynamicImageSet(const std::vector<std::string>& paths, std::uint32_t sectorSize);
    ~DynamicImageSet();
    DynamicImageSet(const DynamicImageSet&) = delete;
    DynamicImageSet& operator=(const DynamicImageSet&) = delete;

    const std::vector<MappedGroup>& Groups() const { return groups_; }
    // One line per image that is not a member of any group, and why.
    const std::vector<std::string>& Problems() const { return problems_; }
    // Raw access to the images of Groups(), by path.
    strata_col::RawDiskAccess& AccessFor(const std::string& path);

private:
    class Reader;
    std::unique_ptr<Reader> reader_;
    std::vector<MappedGroup> groups_;
    std::vector<std::string> problems_;
};

// A volume named on the command line: its volume record's name, its GUID
// (with or without braces, any case) or its drive hint ("E:" or "E").
struct VolumeChoice {
    const MappedGroup* group = nullptr;
    const MappedVolume* volume = nullptr;
    std::string error;  // when none or several match
};
VolumeChoice ChooseVolume(const std::vector<MappedGroup>& groups, const std::string& name,
                          const std::string& groupName);

// What a command that reads one volume starts with: the images' problems,
// then the volume named, on standard error when none or several match.
VolumeChoice SayProblemsAndChoose(const DynamicImageSet& images, const std::string& name,
                                  const std::string& groupName);

}  // namespace strata_tools

#endif
