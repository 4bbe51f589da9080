#include "tools/strata-ldm/VolumeCommands.h"

#include "collect/TextConversions.h"
#include "tools/common/NewFile.h"
#include "tools/strata-ldm/DynamicImageSet.h"
#include "tools/strata-ldm/VolumeArguments.h"
#include "tools/strata-ldm/VolumeOutput.h"
#include "tools/strata-ldm/VolumeReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace strata_tools {

namespace {

const char kExtractUsage[] =
    "usage: strata-ldm extract --volume NAME --out FILE [--group NAME] [--plex N] [--force]\n"
    "                          [--sector-size N] IMAGE...\n";

// Volume bytes read and written at once: whole rows of the layout, about
// this much.
const std::uint64_t kBatchBytes = 1 << 20;

// With --force, an earlier output is replaced; an image never is.
class ReplaceAllButImages {
public:
    explicit ReplaceAllButImages(const std::vector<std::string>& images) : images_(images) {}
    std::string operator()(const std::string& path) const { return OutputIsInput(path, images_); }

private:
    std::vector<std::string> images_;
};

bool Copy(VolumeReader& reader, VolumeOutput& output, std::uint64_t size, const std::string& name) {
    const std::size_t batch = reader.BatchBytes(kBatchBytes);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(batch, size)));
    ProgressLine progress(name, size);
    for (std::uint64_t offset = 0; offset < size; offset += batch) {
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(batch, size - offset));
        if (!reader.Read(offset, buffer.data(), length)) {
            Say(reader.Error());
            return false;
        }
        if (!output.Write(offset, buffer.data(), length)) {
            Say("the output cannot be written: " + output.Error());
            return false;
        }
        progress.Show(offset + length);
    }
    if (!output.Finish(size)) {
        Say("the output cannot be written: " + output.Error());
        return false;
    }
    return true;
}

}  // namespace

int ExtractCommand(const std::vector<std::string>& args) {
    VolumeArguments arguments;
    if (!ParseVolumeArguments(args, {"--volume", "--out", "--group", "--plex", "--sector-size"}, {"--force"},
                              kExtractUsage, arguments)) {
        return 2;
    }
    if (arguments.volume.empty() || arguments.out.empty()) {
        Say("extract needs --volume and --out");
        return 2;
    }
    DynamicImageSet images(arguments.images, arguments.sectorSize);
    const VolumeChoice choice = SayProblemsAndChoose(images, arguments.volume, arguments.group);
    if (choice.volume == nullptr) return 1;
    const MappedVolume& volume = *choice.volume;
    if (volume.Reading() == Readability::Unreadable) {
        Say(volume.name + " cannot be read: " + volume.ReadingText());
        return 1;
    }
    const int plexIndex = volume.ChoosePlex(arguments.plex - 1);
    if (plexIndex < 0) {
        Say(volume.name + " has no readable plex " + Decimal(static_cast<std::uint64_t>(arguments.plex)) +
            " (it has " + Decimal(volume.plexes.size()) + ")");
        return 1;
    }
    const std::string notInput = OutputIsInput(arguments.out, arguments.images);
    if (!notInput.empty()) {
        Say(notInput);
        return 1;
    }

    MemberFiles files(choice.group->images,
                      [&images](const std::string& path) -> strata_col::RawDiskAccess& { return images.AccessFor(path); });
    const Plex& plex = volume.plexes[static_cast<std::size_t>(plexIndex)];
    VolumeReader reader(plex, files);
    const std::string read =
        volume.Reading() == Readability::Degraded ? ", degraded: " + volume.ReadingText() : "";
    if (arguments.out == "-") {
        VolumeOutput output(STDOUT_FILENO, false);
        if (!Copy(reader, output, volume.size, volume.name)) return 1;
        Say(volume.name + ": " + Decimal(volume.size) + " bytes written to standard output" + read);
        return 0;
    }
    const std::filesystem::path target(arguments.out);
    std::unique_ptr<NewFile> file;
    if (arguments.flags.count("--force") != 0) {
        file.reset(new NewFile(target.parent_path().string(), target.filename().string(),
                               ReplaceAllButImages(arguments.images)));
    } else {
        file.reset(new NewFile(target.parent_path().string(), target.filename().string()));
    }
    const int fd = open(file->TemporaryPath().c_str(), O_WRONLY);
    if (fd < 0) {
        Say(file->TemporaryPath() + ": cannot be opened for writing");
        return 1;
    }
    VolumeOutput output(fd, true);
    const bool copied = Copy(reader, output, volume.size, volume.name);
    if (close(fd) != 0 || !copied) {
        if (copied) Say(arguments.out + ": cannot be written");
        return 1;
    }
    file->Commit();
    Say(volume.name + ": " + Decimal(volume.size) + " bytes written to " + arguments.out + read);
    return 0;
}

}  // namespace strata_tools
