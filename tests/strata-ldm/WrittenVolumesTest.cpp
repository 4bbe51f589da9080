// strata-ldm extract and verify on groups the image writer makes, for what
// the Windows images lack: 4096-byte sectors, GPT disks, spanned extents
// stored out of volume order, stripes over three and more disks, a volume
// past 4 GiB. Each volume's stripe units carry markers, placed by the layout
// rules written out here on their own (the Windows images prove the rules):
// an extracted volume must hold each marker at its own volume offset and
// zeros elsewhere.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/DiskPlan.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

using nlohmann::json;

namespace written_volumes_test {

const std::string kTool = std::string(STRATA_BIN_DIR) + "/strata-ldm";

struct Marker {
    std::uint64_t volumeOffset;
    std::string image;
    std::uint64_t imageOffset;
};

void PutWord(const std::string& path, std::uint64_t offset, std::uint64_t word) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::uint64_t stored = 0;
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(&stored), sizeof stored);
    stored ^= word;
    file.clear();
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(&stored), sizeof stored);
}

std::uint64_t WordAt(std::ifstream& file, std::uint64_t offset) {
    std::uint64_t word = 0;
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(&word), sizeof word);
    return word;
}

// The marker of a volume offset: never zero, never another offset's.
std::uint64_t MarkerWord(std::uint64_t volumeOffset) { return volumeOffset ^ 0x5354524154410000ull; }

class WrittenGroup {
public:
    explicit WrittenGroup(const json& description)
        : group_(strata_tools::ParseGroupDescription(description)), sector_(group_.sectorSize) {
        for (const strata_tools::DiskDescription& disk : group_.disks) {
            const std::string path = folder_.File(disk.name + ".img");
            strata_tools::DiskImageWriter(group_).Write(disk.name, path);
            images_[disk.name] = path;
            dataStart_[disk.name] = strata_tools::PlanDisk(group_, disk).dataStart * sector_;
        }
    }

    // Marks the first word of every stripe unit (every `step` bytes of a
    // spanned or simple volume) and of the volume's last sector; RAID-5
    // parity units get the XOR of their row's markers.
    std::vector<Marker> Mark(const std::string& volumeName, std::uint64_t step = 0) {
        const strata_tools::VolumeDescription& volume = Volume(volumeName);
        const std::uint64_t size = volume.size * sector_;
        const std::uint64_t stripe = volume.stripeSize * sector_;
        if (step == 0) step = stripe;
        std::vector<Marker> markers;
        for (std::uint64_t at = 0; at < size; at += step) markers.push_back(Place(volume, at));
        markers.push_back(Place(volume, size - sector_));
        for (const Marker& marker : markers) {
            PutWord(marker.image, marker.imageOffset, MarkerWord(marker.volumeOffset));
            if (volume.layout == strata_tools::VolumeLayout::Raid5) {
                const Marker parity = ParityOf(volume, marker.volumeOffset);
                PutWord(parity.image, parity.imageOffset, MarkerWord(marker.volumeOffset));
            }
        }
        return markers;
    }

    std::string Images(const std::string& leftOut = "") const {
        std::string list;
        for (const auto& image : images_) {
            if (image.first != leftOut) list += " " + image.second;
        }
        return list;
    }
    const std::string& Image(const std::string& disk) { return images_[disk]; }
    std::string File(const std::string& name) const { return folder_.File(name); }
    std::string SectorOption() const { return " --sector-size " + std::to_string(sector_); }

private:
    const strata_tools::VolumeDescription& Volume(const std::string& name) const {
        for (const strata_tools::VolumeDescription& volume : group_.volumes) {
            if (volume.name == name) return volume;
        }
        throw std::runtime_error("no volume " + name);
    }

    Marker On(const strata_tools::PartitionDescription& partition, std::uint64_t volumeOffset,
              std::uint64_t within) {
        return {volumeOffset, images_[partition.disk],
                dataStart_[partition.disk] + partition.start * sector_ + within};
    }

    // Where a volume byte lies: the layout rules.
    Marker Place(const strata_tools::VolumeDescription& volume, std::uint64_t at) {
        const std::vector<strata_tools::PartitionDescription>& parts = volume.partitions;
        const std::uint64_t stripe = volume.stripeSize * sector_;
        const std::uint64_t n = parts.size();
        switch (volume.layout) {
        case strata_tools::VolumeLayout::Striped:
            return On(parts[at / stripe % n], at, at / stripe / n * stripe + at % stripe);
        case strata_tools::VolumeLayout::Raid5: {
            const std::uint64_t unit = at / stripe;
            const std::uint64_t row = unit / (n - 1);
            const std::uint64_t parity = n - 1 - row % n;
            return On(parts[(parity + 1 + unit % (n - 1)) % n], at, row * stripe + at % stripe);
        }
        case strata_tools::VolumeLayout::Mirror: return On(parts[0], at, at);
        default: break;
        }
        std::uint64_t next = 0;
        for (const strata_tools::PartitionDescription& part : parts) {
            const std::uint64_t start = part.placed ? part.volumeOffset * sector_ : next;
            if (at >= start && at < start + part.size * sector_) return On(part, at, at - start);
            next = start + part.size * sector_;
        }
        throw std::runtime_error("offset outside the volume");
    }

    Marker ParityOf(const strata_tools::VolumeDescription& volume, std::uint64_t at) {
        const std::uint64_t stripe = volume.stripeSize * sector_;
        const std::uint64_t n = volume.partitions.size();
        const std::uint64_t row = at / stripe / (n - 1);
        return On(volume.partitions[n - 1 - row % n], at, row * stripe + at % stripe);
    }

    strata_test::TempFolder folder_;
    strata_tools::GroupDescription group_;
    std::uint64_t sector_;
    std::map<std::string, std::string> images_;
    std::map<std::string, std::uint64_t> dataStart_;
};

class WrittenVolumes : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "strata-ldm is not built";
    }

    // Extracts the volume and checks its markers and its size; every other
    // word read must be zero.
    static void ExpectExtracted(WrittenGroup& group, const std::string& volume, const std::vector<Marker>& markers,
                                std::uint64_t size, const std::string& leftOut = "") {
        const std::string out = group.File(volume + "-" + leftOut + ".vol");
        const strata_test::ProgramRun run = strata_test::RunProgram(
            kTool + " extract --volume " + volume + " --out " + out + group.SectorOption() + group.Images(leftOut));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::ifstream file(out, std::ios::binary);
        file.seekg(0, std::ios::end);
        EXPECT_EQ(static_cast<std::uint64_t>(file.tellg()), size);
        for (const Marker& marker : markers) {
            EXPECT_EQ(WordAt(file, marker.volumeOffset), MarkerWord(marker.volumeOffset))
                << volume << " at " << marker.volumeOffset << (leftOut.empty() ? "" : " without " + leftOut);
            EXPECT_EQ(WordAt(file, marker.volumeOffset + 8), 0u);
        }
    }
};

json Partition(const std::string& disk, std::uint64_t start, std::uint64_t size) {
    return {{"disk", disk}, {"start", start}, {"size", size}};
}

TEST_F(WrittenVolumes, StripesAndParityOverThreeToFiveDisksWithLargeSectorsAndGpt) {
    // 4096-byte sectors, half the disks GPT; stripes of 16 sectors (64 KiB).
    json description = {{"sectorSize", 4096}, {"diskSectors", 8192}, {"configSectors", 256},
                        {"disks", json::array()}};
    for (int d = 1; d <= 5; ++d) {
        description["disks"].push_back({{"name", "Disk" + std::to_string(d)}, {"style", d % 2 ? "gpt" : "mbr"}});
    }
    description["volumes"] = {
        {{"name", "Stripe3"}, {"layout", "striped"}, {"stripeSize", 16},
         {"partitions", {Partition("Disk1", 0, 480), Partition("Disk2", 0, 480), Partition("Disk3", 0, 480)}}},
        {{"name", "Raid4"}, {"layout", "raid5"}, {"stripeSize", 16},
         {"partitions", {Partition("Disk2", 512, 480), Partition("Disk3", 512, 480), Partition("Disk4", 0, 480),
                         Partition("Disk5", 0, 480)}}},
        {{"name", "Raid5"}, {"layout", "raid5"}, {"stripeSize", 16},
         {"partitions", {Partition("Disk1", 1024, 480), Partition("Disk2", 1024, 480), Partition("Disk3", 1024, 480),
                         Partition("Disk4", 1024, 480), Partition("Disk5", 1024, 480)}}}};
    WrittenGroup group(description);
    ExpectExtracted(group, "Stripe3", group.Mark("Stripe3"), 3 * 480 * 4096);
    const std::vector<Marker> raid4 = group.Mark("Raid4");
    const std::vector<Marker> raid5 = group.Mark("Raid5");
    ExpectExtracted(group, "Raid4", raid4, 3 * 480 * 4096);
    for (const char* missing : {"Disk2", "Disk3", "Disk4", "Disk5"}) {
        ExpectExtracted(group, "Raid4", raid4, 3 * 480 * 4096, missing);
    }
    ExpectExtracted(group, "Raid5", raid5, 4 * 480 * 4096, "Disk1");
    // The parity written agrees with the data: nothing to regenerate.
    const strata_test::ProgramRun verify =
        strata_test::RunProgram(kTool + " verify --volume Raid5" + group.SectorOption() + group.Images());
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
}

TEST_F(WrittenVolumes, SpannedExtentsStoredOutOfVolumeOrderAndAMirrorReadInVolumeOrder) {
    const json description = {
        {"diskSectors", 20480}, {"configSectors", 256},
        {"disks", {{{"name", "Disk1"}}, {{"name", "Disk2"}, {"style", "gpt"}}, {{"name", "Disk3"}}}},
        {"volumes",
         {{{"name", "Span"}, {"layout", "spanned"},
           {"partitions", {{{"disk", "Disk3"}, {"start", 0}, {"size", 3000}, {"volumeOffset", 5000}},
                           {{"disk", "Disk1"}, {"start", 100}, {"size", 2000}, {"volumeOffset", 0}},
                           {{"disk", "Disk2"}, {"start", 0}, {"size", 3000}, {"volumeOffset", 2000}}}}},
          {{"name", "Mirror"}, {"layout", "mirror"},
           {"partitions", {Partition("Disk1", 4000, 3000), Partition("Disk2", 4000, 3000)}}}}}};
    WrittenGroup group(description);
    ExpectExtracted(group, "Span", group.Mark("Span", 256 * 512), 8000 * 512);
    // Only the first plex carries the markers, so the plexes differ: verify
    // names the differing sectors, and without Disk1 the second plex is read.
    const std::vector<Marker> mirror = group.Mark("Mirror", 1000 * 512);
    ExpectExtracted(group, "Mirror", mirror, 3000 * 512);
    const strata_test::ProgramRun verify =
        strata_test::RunProgram(kTool + " verify --volume Mirror" + group.Images());
    EXPECT_EQ(verify.exitCode, 1);
    const json report = json::parse(verify.out);
    ASSERT_EQ(report["mirrorMismatches"].size(), mirror.size());
    EXPECT_EQ(report["mirrorMismatches"][1]["volumeOffset"], 1000 * 512);
    EXPECT_EQ(report["mirrorMismatches"][1]["length"], 512);
    ExpectExtracted(group, "Mirror", {}, 3000 * 512, "Disk1");
}

TEST_F(WrittenVolumes, AVolumePastFourGiBKeepsItsOffsetsAndStaysSparse) {
    const std::uint64_t sectors = (4ull << 30) / 512 + 4096;  // 4 GiB and 2 MiB
    const json description = {{"diskSectors", sectors + 8192}, {"configSectors", 256},
                              {"disks", {{{"name", "Disk1"}}}},
                              {"volumes", {{{"name", "Big"}, {"partitions", {Partition("Disk1", 0, sectors)}}}}}};
    WrittenGroup group(description);
    ExpectExtracted(group, "Big", group.Mark("Big", 1ull << 30), sectors * 512);
    struct stat extracted;
    ASSERT_EQ(stat(group.File("Big-.vol").c_str(), &extracted), 0);
    EXPECT_LT(extracted.st_blocks * 512, 1 << 20);  // holes where the volume is zeros
}

TEST_F(WrittenVolumes, AnImageIsNeverWrittenAShortOneIsMissingAndTooFewMembersWriteNothing) {
    const json description = {
        {"diskSectors", 8192}, {"configSectors", 256},
        {"disks", {{{"name", "Disk1"}}, {{"name", "Disk2"}, {"style", "gpt"}}, {{"name", "Disk3"}}}},
        {"volumes", {{{"name", "R"}, {"layout", "raid5"},
                      {"partitions", {Partition("Disk1", 0, 1024), Partition("Disk2", 0, 1024),
                                      Partition("Disk3", 0, 1024)}}}}}};
    WrittenGroup group(description);
    const std::string image = group.Image("Disk1");
    struct stat before;
    ASSERT_EQ(stat(image.c_str(), &before), 0);
    const std::string extract = kTool + " extract --volume R" + group.Images() + " --out ";
    const strata_test::ProgramRun forced = strata_test::RunProgram(extract + image + " --force");
    EXPECT_EQ(forced.exitCode, 1);
    EXPECT_NE(forced.err.find("an image is never written"), std::string::npos) << forced.err;
    const strata_test::ProgramRun appended = strata_test::RunProgram(extract + "- >> " + image);
    EXPECT_EQ(appended.exitCode, 1);
    EXPECT_NE(appended.err.find("standard output is the image"), std::string::npos) << appended.err;
    struct stat after;
    ASSERT_EQ(stat(image.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtime, before.st_mtime);

    // A member image cut short (a GPT disk keeps its database at its start)
    // is a missing member, said so; parity stands in.
    std::filesystem::resize_file(group.Image("Disk2"), (4096 + 600) * 512);
    const strata_test::ProgramRun listed = strata_test::RunProgram(kTool + " volumes --format json" + group.Images());
    const json volume = json::parse(listed.out)["groups"][0]["volumes"][0];
    EXPECT_EQ(volume["reading"], "degraded") << listed.out;
    EXPECT_EQ(volume["members"][1]["image"], "missing");
    EXPECT_EQ(volume["members"][1]["whyMissing"], "its image " + group.Image("Disk2") + " ends before the extent");
    EXPECT_EQ(strata_test::RunProgram(extract + group.File("r.vol")).exitCode, 0);

    // Two members of three gone: exit 1 naming both, and no file at all.
    const strata_test::ProgramRun lost = strata_test::RunProgram(
        kTool + " extract --volume R --out " + group.File("r2.vol") + " " + group.Image("Disk3"));
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_NE(lost.err.find("R cannot be read: missing Disk1, Disk2"), std::string::npos) << lost.err;
    EXPECT_NE(access(group.File("r2.vol").c_str(), F_OK), 0);

    const strata_test::ProgramRun unknown = strata_test::RunProgram(extract + group.File("n.vol") + " --volume Nope");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("no volume is named Nope"), std::string::npos) << unknown.err;

    // Command lines that cannot be run say so with exit status 2.
    for (const char* arguments : {"extract --out x.vol", "extract --volume R --plex 0 --out x.vol", "verify",
                                  "volumes --format xml", "check --bogus"}) {
        EXPECT_EQ(strata_test::RunProgram(kTool + " " + arguments + group.Images()).exitCode, 2) << arguments;
    }
}

}  // namespace written_volumes_test
