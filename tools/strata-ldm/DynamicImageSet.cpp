#include "tools/strata-ldm/DynamicImageSet.h"

#include "ldm/DatabaseLookup.h"
#include "ldm/LDMDBParser.h"
#include "ldm/PlatformDiskAccess.h"
#include "tools/strata-ldm/DatabaseDiagnosis.h"
#include "tools/strata-ldm/ImageFileAccess.h"
#include "tools/strata-ldm/VolumeArguments.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace strata_tools {

bool IsDevicePath(const std::string& path) {
    return path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\", 0) == 0;
}

// Both kinds of access and their readers; the decoded databases are shared
// by images whose record blocks are the same bytes.
class DynamicImageSet::Reader {
public:
    explicit Reader(std::uint32_t sectorSize)
        : files(sectorSize), fileReader(files, &cache), platformReader(platform, &cache) {
        fileReader.KeepLayoutFields();
        platformReader.KeepLayoutFields();
    }

    strata_col::RawDiskAccess& Access(const std::string& path) {
        return IsDevicePath(path) ? static_cast<strata_col::RawDiskAccess&>(platform) : files;
    }
    strata_col::LDMDBParser& Parser(const std::string& path) {
        return IsDevicePath(path) ? platformReader : fileReader;
    }

    ImageFileAccess files;
    strata_col::PlatformDiskAccess platform;
    strata_col::DatabaseCache cache;
    strata_col::LDMDBParser fileReader;
    strata_col::LDMDBParser platformReader;
};

namespace {

struct ReadImage {
    MemberImage member;
    strata_col::SharedDatabase database;
    std::string groupKey;
    std::string groupName;
    std::string groupGuid;
};

void NameGroup(const strata_col::LDMDataBase& database, const std::string& headerGroup, ReadImage& image) {
    image.groupName = headerGroup;
    if (!database.diskGroups.empty()) {
        const strata_col::RecordMap& group = database.diskGroups.begin()->second;
        const std::string name = strata_col::RecordField(group, "Name");
        if (!name.empty()) image.groupName = name;
        image.groupGuid = GuidTextOfDigits(strata_col::RecordField(group, "DiskGroupID"));
    }
    image.groupKey = image.groupGuid.empty() ? "name:" + image.groupName
                                             : strata_col::NormalizedGuid(image.groupGuid);
}

// The database most of the group's images carry (the first of them on a
// tie): a member whose database is behind the others does not decide.
strata_col::SharedDatabase MostCarried(const std::vector<const ReadImage*>& images) {
    std::map<const strata_col::DiskDatabase*, std::size_t> count;
    strata_col::SharedDatabase best;
    std::size_t bestCount = 0;
    for (const ReadImage* image : images) {
        const std::size_t n = ++count[image->database.get()];
        if (n > bestCount) {
            bestCount = n;
            best = image->database;
        }
    }
    return best;
}

}  // namespace

DynamicImageSet::DynamicImageSet(const std::vector<std::string>& paths, std::uint32_t sectorSize)
    : reader_(new Reader(sectorSize)) {
    std::vector<ReadImage> read;
    std::map<std::string, std::string> pathOfGuid;
    for (const std::string& path : paths) {
        const std::string problem = IsDevicePath(path) ? "" : ImageFileProblem(path);
        if (!problem.empty()) {
            problems_.push_back(path + ": " + problem);
            continue;
        }
        strata_col::RawDiskAccess& access = reader_->Access(path);
        strata_col::LDMDBParser& parser = reader_->Parser(path);
        const strata_col::DiskDatabaseMap found = parser.ReadDatabases(strata_col::DeviceMap{{"image", path}});
        if (found.empty()) {
            problems_.push_back(path + ": " + WhyNoDatabase(access, path));
            continue;
        }
        if (RecordCount(*found.begin()->second) == 0) {
            problems_.push_back(path + ": " + WhyEmpty(access, path));
            continue;
        }
        const strata_col::DynamicDrive drive = parser.GetDynamicDrive(path);
        ReadImage image;
        image.member.path = path;
        image.member.diskGuid = drive.header.diskGuid;
        image.member.sectorSize = drive.sectors.BytesPerSector();
        image.member.length = access.QueryDrive(path).length;
        if (!drive.sectors.ToBytes(drive.header.logicalDiskStart, image.member.dataStart)) {
            problems_.push_back(path + ": its data region starts beyond 64 bits");
            continue;
        }
        const std::string guid = strata_col::NormalizedGuid(image.member.diskGuid);
        const auto earlier = pathOfGuid.find(guid);
        if (earlier != pathOfGuid.end()) {
            problems_.push_back(path + ": carries disk GUID " + image.member.diskGuid + " as " + earlier->second +
                                " does; it is left out");
            continue;
        }
        pathOfGuid[guid] = path;
        image.database = found.begin()->second;
        NameGroup(*image.database, drive.header.groupName, image);
        read.push_back(std::move(image));
    }

    // Groups in the order their first image was given.
    std::vector<std::string> keys;
    std::map<std::string, std::vector<const ReadImage*> > byKey;
    for (const ReadImage& image : read) {
        if (byKey[image.groupKey].empty()) keys.push_back(image.groupKey);
        byKey[image.groupKey].push_back(&image);
    }
    for (const std::string& key : keys) {
        const std::vector<const ReadImage*>& members = byKey[key];
        MappedGroup group;
        group.name = members.front()->groupName;
        group.guid = members.front()->groupGuid;
        for (const ReadImage* image : members) group.images.push_back(image->member);
        const strata_col::SharedDatabase database = MostCarried(members);
        group.volumes = MapVolumes(*database, group.images);
        group.disks = MapDisks(*database, group.images);
        groups_.push_back(std::move(group));
    }
}

DynamicImageSet::~DynamicImageSet() {}

strata_col::RawDiskAccess& DynamicImageSet::AccessFor(const std::string& path) { return reader_->Access(path); }

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Names(const MappedVolume& volume, const std::string& name) {
    if (volume.name == name) return true;
    std::string guid = Lower(name);
    if (guid.size() == 38 && guid.front() == '{' && guid.back() == '}') guid = guid.substr(1, 36);
    if (!volume.guid.empty() && guid == volume.guid) return true;
    if (volume.hint.empty()) return false;
    const std::string hint = Lower(volume.hint);
    return Lower(name) == hint || Lower(name) + ":" == hint;
}

}  // namespace

VolumeChoice ChooseVolume(const std::vector<MappedGroup>& groups, const std::string& name,
                          const std::string& groupName) {
    VolumeChoice choice;
    std::size_t matches = 0;
    std::string where;
    for (const MappedGroup& group : groups) {
        if (!groupName.empty() && group.name != groupName && Lower(group.guid) != Lower(groupName)) continue;
        for (const MappedVolume& volume : group.volumes) {
            if (!Names(volume, name)) continue;
            ++matches;
            where += (where.empty() ? "" : ", ") + volume.name + " of " + group.name;
            choice.group = &group;
            choice.volume = &volume;
        }
    }
    if (matches == 1) return choice;
    choice.group = nullptr;
    choice.volume = nullptr;
    if (matches == 0) {
        choice.error = "no volume is named " + name + (groupName.empty() ? "" : " in group " + groupName);
    } else {
        choice.error = name + " names several volumes (" + where + "); choose one with --group";
    }
    return choice;
}

VolumeChoice SayProblemsAndChoose(const DynamicImageSet& images, const std::string& name,
                                  const std::string& groupName) {
    for (const std::string& problem : images.Problems()) Say(problem);
    const VolumeChoice choice = ChooseVolume(images.Groups(), name, groupName);
    if (choice.volume == nullptr) Say(choice.error);
    return choice;
}

}  // namespace strata_tools
