// A few hundred damaged dynamic disks, each queried through the plug-in
// beside intact drives: the query completes, the other drives report what
// they report alone, memory stays bounded and no image changes.
//
// The damage is made from images strata-ldm writes (an MBR disk with
// version-4 records, a GPT disk with version-3 records) and from two of the
// Windows-written fixtures: private-header fields, the table of contents,
// the database header, record headers and fields, truncations and GPT
// tables, each checked alone. The count is fixed, so the test takes the same
// time on every run.
#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "ldm/BigEndian.h"
#include "ldm/GptFormat.h"
#include "ldm/GptPartitionReader.h"
#include "ldm/LDMDBParser.h"
#include "ldm/LdmLayout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"
#include "tools/strata-ldm/DiskImageWriter.h"
#include "tools/strata-ldm/ImageFileAccess.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string_view>
#include <nlohmann/json.hpp>

using namespace strata_col::ldm_layout;
namespace gpt = strata_col::gpt_layout;
using nlohmann::json;
using Bytes = std::vector<unsigned char>;
using Values = std::initializer_list<std::uint64_t>;

namespace {

const std::uint64_t kSector = 512;
const std::uint64_t kWholeFile = ~0ull;
// The whole test process, sanitizer included, stays below this.
const long kMaxResidentKiB = 1024 * 1024;

struct Patch {
    std::uint64_t offset;
    Bytes bytes;
};

struct Mutation {
    std::string name;
    std::vector<Patch> patches;
    std::uint64_t truncateTo = kWholeFile;
};

// The value's low `width` bytes as the tools' image writer puts them: most
// significant first (database fields) or last (MBR and GPT fields).
Bytes BigEndian(std::uint64_t value, int width) {
    Bytes bytes;
    strata_tools::PutBigEndian(bytes, 0, width, value);
    return bytes;
}
Bytes LittleEndian(std::uint64_t value, int width) {
    Bytes bytes;
    strata_tools::PutLittleEndian(bytes, 0, width, value);
    return bytes;
}

Bytes ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    Bytes bytes(count, 0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void WriteBytes(const std::string& path, std::uint64_t offset, const Bytes& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint64_t Checksum(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    std::uint64_t hash = 0;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        hash = hash * 1099511628211ull ^ std::hash<std::string_view>()(std::string_view(chunk.data(), in.gcount()));
    }
    return hash;
}

// Where the pieces of a base image lie, found the way the reader finds them.
struct BaseImage {
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t header = 0;  // the private header in use
    std::uint64_t area = 0;
    std::uint64_t areaBytes = 0;
    std::uint64_t vmdb = 0;
    std::vector<std::uint64_t> blocks;  // record blocks of a known type
    bool gpt = false;
    strata_sim::DiskExtentDescription extent;  // its first partition record, as a volume extent
};

BaseImage Locate(const std::string& path) {
    BaseImage base;
    base.path = path;
    base.size = std::filesystem::file_size(path);
    strata_tools::ImageFileAccess access(kSector);
    strata_col::LDMDBParser reader(access);
    const int file = access.Open(path);
    Bytes header;
    EXPECT_TRUE(reader.ReadPrivateHeader(file, header, kSector, base.size)) << path;
    access.Close(file);
    base.header = 6 * kSector;
    if (ReadBytes(path, base.header, header.size()) != header) {
        base.gpt = true;
        const int again = access.Open(path);
        strata_col::SectorRange metadata;
        strata_col::GptPartitionReader(access).FindPartition(again, kSector, base.size, gpt::kLdmMetadataType,
                                                             metadata);
        access.Close(again);
        base.header = metadata.last * kSector;
    }
    strata_col::PrivateHeader fields;
    strata_col::DecodePrivateHeader(header, fields);
    base.area = fields.configStart * kSector;
    base.areaBytes = fields.configSize * kSector;
    const Bytes toc = ReadBytes(path, base.area + kSector, kSector);
    std::uint32_t configStart = 0;
    strata_col::ReadBigEndian32(toc.data(), toc.size(), kTocConfigRegionLowOffset, configStart);
    base.vmdb = base.area + configStart * 512ull;
    const Bytes area = ReadBytes(path, base.area, base.areaBytes);
    for (std::uint64_t at = base.vmdb - base.area + 512; at + kVblkSize <= area.size(); at += kVblkSize) {
        const unsigned char type = area[at + kVblkTypeOffset];
        if (std::memcmp(&area[at], kVblkMagic, 4) == 0 && (type & 0x0F) >= 1 && (type & 0x0F) <= 5) {
            base.blocks.push_back(base.area + at);
        }
    }
    const strata_col::DiskDatabaseMap databases = reader.ReadDatabases(strata_col::DeviceMap{{"d", path}});
    const auto& [guid, database] = *databases.begin();
    const std::vector<strata_col::DiskPartitionRef>& partitions = database->PartitionsOfDisk(guid);
    EXPECT_FALSE(partitions.empty()) << path;
    if (!partitions.empty()) {
        const strata_col::RecordMap& record = *partitions.front().record;
        base.extent.startingOffset =
            static_cast<std::int64_t>((fields.logicalDiskStart + std::stoull(record.at("Start"), nullptr, 16)) * kSector);
        base.extent.length = static_cast<std::int64_t>(std::stoull(record.at("Size"), nullptr, 16) * kSector);
    }
    return base;
}

// The damage done to one base image, each kind of structure in turn.
std::vector<Mutation> Mutations(const BaseImage& base, std::mt19937& random) {
    std::vector<Mutation> out;
    auto add = [&](const std::string& name, std::uint64_t offset, const Bytes& bytes) {
        out.push_back({name, {{offset, bytes}}});
    };
    const std::uint64_t sectors = base.size / kSector;
    const std::uint64_t h = base.header;
    // Private header.
    add("header magic", h, {'P', 'R', 'I', 'V', 'H', 'E', 'A', 'X'});
    add("header magic unterminated", h + 8, {'!'});
    add("disk GUID unterminated, not UTF-8", h + kDiskGuidOffset, Bytes(kDiskGuidSize, 0xFF));
    add("disk GUID empty", h + kDiskGuidOffset, Bytes(kDiskGuidSize, 0));
    add("group name not UTF-8", h + kGroupNameOffset, Bytes(kGroupNameSize, 0xC3));
    for (std::uint64_t value : Values{0ull, 1ull, sectors, sectors + 1, 1ull << 63, ~0ull}) {
        add("logical disk start " + std::to_string(value), h + kLogicalDiskStartOffset, BigEndian(value, 8));
        add("logical disk size " + std::to_string(value), h + kLogicalDiskSizeOffset, BigEndian(value, 8));
    }
    const std::uint64_t areaStart = base.area / kSector, areaSectors = base.areaBytes / kSector;
    for (std::uint64_t value : Values{0ull, 1ull, 6ull, areaStart - 1, areaStart + 1, sectors - areaSectors + 1, sectors,
                                1ull << 55, 1ull << 63, ~0ull}) {
        add("area start " + std::to_string(value), h + kConfigStartOffset, BigEndian(value, 8));
    }
    for (std::uint64_t value : Values{0ull, 1ull, 2ull, 18ull, areaSectors - 1, areaSectors + 1, sectors, 1ull << 23,
                                1ull << 55, ~0ull}) {
        add("area size " + std::to_string(value), h + kConfigSizeOffset, BigEndian(value, 8));
    }
    // Table of contents and database header.
    const std::uint64_t toc = base.area + kSector;
    for (std::uint64_t value : Values{0ull, 1ull, base.areaBytes / 512 - 2, base.areaBytes / 512 - 1, base.areaBytes / 512,
                                0x7FFFFFull, 0xFFFFFFFFull}) {
        add("VMDB unit " + std::to_string(value), toc + kTocConfigRegionLowOffset, BigEndian(value, 4));
    }
    add("table of contents blank", toc, Bytes(kSector, 0));
    add("VMDB blank", base.vmdb, Bytes(512, 0));
    // Record headers and fields of the first blocks.
    const std::size_t blocks = std::min<std::size_t>(base.blocks.size(), 8);
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::uint64_t b = base.blocks[i];
        const std::string n = "block " + std::to_string(i) + " ";
        add(n + "magic", b, {'V', 'B', 'L', 'X'});
        for (unsigned char type : {kTypeVolume, kTypeComponent, kTypePartition, kTypeDiskV3, kTypeDiskV4,
                                   kTypeDiskGroupV3, kTypeDiskGroupV4}) {
            add(n + "type " + std::to_string(type), b + kVblkTypeOffset, {type});
        }
        add(n + "flags all set", b + kVblkFlagsOffset, {0xFF});
        add(n + "first length 255", b + kVblkBodyOffset, {0xFF});
        add(n + "first length 0", b + kVblkBodyOffset, {0x00});
        Bytes body(kVblkSize - kVblkBodyOffset);
        for (unsigned char& byte : body) byte = static_cast<unsigned char>(random());
        add(n + "body random", b + kVblkBodyOffset, body);
        const std::uint64_t field = b + kVblkBodyOffset + random() % (kVblkSize - kVblkBodyOffset);
        add(n + "one byte 0xFF at " + std::to_string(field - b), field, {0xFF});
    }
    // Random damage over the area.
    for (int i = 0; i < 6; ++i) {
        const std::uint64_t at = base.vmdb + random() % (base.area + base.areaBytes - base.vmdb - 64);
        Bytes noise(1 + random() % 64);
        for (unsigned char& byte : noise) byte = static_cast<unsigned char>(random());
        add("area noise at " + std::to_string(at), at, noise);
    }
    add("area blank", base.area, Bytes(static_cast<std::size_t>(base.areaBytes), 0));
    // Truncations.
    for (std::uint64_t length : Values{0ull, kSector, h + 100, base.area + kSector + 100, base.vmdb + 1000,
                                 base.area + base.areaBytes / 2, base.area + base.areaBytes - 1, base.size - kSector}) {
        Mutation cut;
        cut.name = "truncated to " + std::to_string(length);
        cut.truncateTo = length;
        out.push_back(cut);
    }
    if (!base.gpt) {
        add("MBR partition past the end", 446 + gpt::kMbrEntryFirstSectorOffset, LittleEndian(0xFFFFFFF0u, 4));
        add("MBR signature gone", gpt::kMbrBootSignatureOffset, {0, 0});
        return out;
    }
    // GPT: damage with and without the CRCs made right again.
    const std::uint64_t primary = gpt::kPrimaryHeaderLba * kSector;
    const std::uint64_t backup = (sectors - 1) * kSector;
    add("GPT primary header CRC", primary + gpt::kHeaderCrcOffset, {0, 0, 0, 0});
    out.push_back({"GPT both headers CRC", {{primary + gpt::kHeaderCrcOffset, {1}}, {backup + gpt::kHeaderCrcOffset, {1}}}});
    add("protective MBR gone", 446 + 4, {0});
    const Bytes header = ReadBytes(base.path, primary, 92);
    const std::uint64_t entries = 2 * kSector;
    const Bytes array = ReadBytes(base.path, entries, 128 * 128);
    // A header with one field changed, and an entry array, both with their CRCs right.
    auto resealed = [&](const std::string& name, std::size_t field, const Bytes& value, const Bytes& newArray) {
        Bytes changed = header;
        std::copy(value.begin(), value.end(), changed.begin() + field);
        strata_tools::PutLittleEndian(changed, gpt::kHeaderEntriesCrcOffset, 4, gpt::Crc32(newArray.data(), newArray.size()));
        std::fill_n(changed.begin() + gpt::kHeaderCrcOffset, 4, 0);
        strata_tools::PutLittleEndian(changed, gpt::kHeaderCrcOffset, 4, gpt::Crc32(changed.data(), changed.size()));
        out.push_back({name, {{primary, changed}, {entries, newArray}}});
    };
    resealed("GPT entry count huge", gpt::kHeaderEntryCountOffset, LittleEndian(0xFFFFFFFFu, 4), array);
    resealed("GPT entry size 0", gpt::kHeaderEntrySizeOffset, LittleEndian(0, 4), array);
    resealed("GPT entry size 1 MiB", gpt::kHeaderEntrySizeOffset, LittleEndian(1u << 20, 4), array);
    resealed("GPT entries past the end", gpt::kHeaderEntriesLbaOffset, LittleEndian(sectors + 5, 8), array);
    const Bytes sameSignature(header.begin(), header.begin() + 8);
    auto entryEnds = [&](std::size_t entry, std::uint64_t first, std::uint64_t last) {
        Bytes moved = array;
        strata_tools::PutLittleEndian(moved, entry * 128 + gpt::kEntryFirstLbaOffset, 8, first);
        strata_tools::PutLittleEndian(moved, entry * 128 + gpt::kEntryLastLbaOffset, 8, last);
        resealed("GPT entry " + std::to_string(entry) + " from " + std::to_string(first) + " to " + std::to_string(last),
                 0, sameSignature, moved);
    };
    for (std::size_t entry = 0; entry < 3; ++entry) {
        for (std::uint64_t last : Values{sectors, 1ull << 62, ~0ull}) entryEnds(entry, 34, last);
        entryEnds(entry, 100, 50);
        entryEnds(entry, 1ull << 62, 1ull << 62);
    }
    return out;
}

// A copy of a base image that one mutation at a time changes in place.
class ImageUnderTest {
public:
    ImageUnderTest(const BaseImage& base, const std::string& path) : base_(base), path_(path) {
        std::filesystem::copy_file(base.path, path, std::filesystem::copy_options::overwrite_existing);
    }

    void Apply(const Mutation& mutation) {
        saved_.clear();
        for (const Patch& patch : mutation.patches) {
            saved_.push_back({patch.offset, ReadBytes(path_, patch.offset, patch.bytes.size())});
            WriteBytes(path_, patch.offset, patch.bytes);
        }
        cut_ = mutation.truncateTo;
        if (cut_ != kWholeFile) std::filesystem::resize_file(path_, cut_);
    }

    void Restore() {
        for (auto patch = saved_.rbegin(); patch != saved_.rend(); ++patch) WriteBytes(path_, patch->offset, patch->bytes);
        if (cut_ != kWholeFile) std::filesystem::copy_file(base_.path, path_, std::filesystem::copy_options::overwrite_existing);
    }

    const std::string& path() const { return path_; }

private:
    const BaseImage& base_;
    std::string path_;
    std::vector<Patch> saved_;
    std::uint64_t cut_ = kWholeFile;
};

// One line per instance: its class and every property, so that two queries
// compare instance by instance.
std::set<std::string> Inventory(const telva_host::HostSession& session) {
    std::set<std::string> lines;
    for (const std::string& className : telva_host::AllClasses()) {
        for (const telva_host::InstanceRecord& instance : session.Instances(className)) {
            std::string line = className;
            for (const auto& property : instance.properties) line += " " + property.first + "=" + property.second.ToString();
            lines.insert(line);
        }
    }
    return lines;
}

long PeakResidentKiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Object IDs count from firstObjectId in each group; the intact group's are
// kept apart from the damaged ones', which would otherwise give instances
// of the same key.
json WrittenGroup(const std::string& name, int version, const std::string& style,
                  std::uint64_t firstObjectId = 0x401) {
    return {{"diskSectors", 4096},
            {"configSectors", 256},
            {"reservedSectors", 0},
            {"style", style},
            {"group", {{"name", name}, {"version", version}, {"firstObjectId", firstObjectId}}},
            {"disks", {{{"name", "Disk1"}}}},
            {"volumes",
             {{{"name", "Spanned"}, {"layout", "spanned"}, {"hint", "M:"},
               {"partitions", {{{"disk", "Disk1"}, {"start", 0}, {"size", 200}},
                               {{"disk", "Disk1"}, {"start", 300}, {"size", 100}}}}},
              {{"name", "Simple"}, {"partitions", {{{"disk", "Disk1"}, {"start", 500}, {"size", 100}}}}}}}};
}

std::string WriteDisk(const json& description, const std::string& path) {
    const strata_tools::GroupDescription group = strata_tools::ParseGroupDescription(description);
    strata_tools::DiskImageWriter(group).Write(group.disks[0].name, path);
    return path;
}

class CorruptImageCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
        intactImage = WriteDisk(WrittenGroup("Intact-Dg0", 4, "mbr", 0x7A0401), folder.File("intact.img"));
        const BaseImage intact = Locate(intactImage);
        // Disk 0 basic with the system volume, disk 1 dynamic of its own group.
        strata_sim::Device system = strata_test::FixedDisk(0);
        system.length = 64 << 20;
        machine.devices = {system, strata_test::FixedDisk(1, intactImage)};
        strata_sim::Volume c = strata_test::NtfsVolume(1, {"C:\\"});
        c.extents = {strata_test::Extent(0, 1 << 20, 32 << 20)};
        strata_sim::Volume g = strata_test::NtfsVolume(2, {"G:\\"});
        g.extents = {strata_test::Extent(1, intact.extent.startingOffset, intact.extent.length)};
        machine.volumes = {c, g};
        strata_sim::SetMachine(machine);
        session.Query(telva_host::AllClasses());
        alone = Inventory(session);
        intactChecksum = Checksum(intactImage);
    }

    void TearDown() override { strata_sim::ResetMachine(); }

    // Queries every mutation of the base as disk 2, with a volume on its
    // first partition; returns how many were queried.
    std::size_t QueryEach(const BaseImage& base, std::mt19937& random) {
        strata_sim::Machine damaged = machine;
        ImageUnderTest image(base, folder.File("damaged.img"));
        damaged.devices.push_back(strata_test::FixedDisk(2, image.path()));
        strata_sim::Volume volume = strata_test::NtfsVolume(3, {"D:\\"});
        volume.extents = {strata_test::Extent(2, base.extent.startingOffset, base.extent.length)};
        damaged.volumes.push_back(volume);
        const std::vector<Mutation> mutations = Mutations(base, random);
        for (const Mutation& mutation : mutations) {
            SCOPED_TRACE(base.path + ": " + mutation.name);
            image.Apply(mutation);
            const std::uint64_t before = Checksum(image.path());
            session.Reset();
            strata_sim::SetMachine(damaged);
            EXPECT_NO_THROW(session.Query(telva_host::AllClasses()));
            const std::set<std::string> together = Inventory(session);
            for (const std::string& line : alone) EXPECT_EQ(1u, together.count(line)) << "lost: " << line;
            EXPECT_EQ(0, strata_sim::OpenRawFileCount());
            EXPECT_EQ(0, strata_sim::OpenHandleCount());
            EXPECT_EQ(before, Checksum(image.path())) << "the image changed";
            image.Restore();
        }
        return mutations.size();
    }

    strata_test::TempFolder folder;
    telva_host::HostSession session;
    strata_sim::Machine machine;
    std::string intactImage;
    std::set<std::string> alone;
    std::uint64_t intactChecksum = 0;
};

TEST_F(CorruptImageCorpus, WrittenImagesDamagedEveryWay) {
    std::mt19937 random(16);
    std::size_t queried = 0;
    queried += QueryEach(Locate(WriteDisk(WrittenGroup("Damaged-Dg0", 4, "mbr"), folder.File("mbr.img"))), random);
    queried += QueryEach(Locate(WriteDisk(WrittenGroup("Damaged-Dg1", 3, "gpt"), folder.File("gpt.img"))), random);
    EXPECT_GT(queried, 200u);
    EXPECT_EQ(intactChecksum, Checksum(intactImage));
    EXPECT_LT(PeakResidentKiB(), kMaxResidentKiB);
}

TEST_F(CorruptImageCorpus, WindowsWrittenImagesDamagedEveryWay) {
    STRATA_REQUIRE_FIXTURES();
    std::mt19937 random(2003);
    std::size_t queried = 0;
    for (const char* name : {"ldm-2003r2-raid5-1.img", "ldm-2003r2-spanned-2.img"}) {
        const std::string fixture = strata_test::FixtureImage(name);
        const std::uint64_t checksum = Checksum(fixture);
        queried += QueryEach(Locate(fixture), random);
        EXPECT_EQ(checksum, Checksum(fixture));
    }
    EXPECT_GT(queried, 150u);
    EXPECT_EQ(intactChecksum, Checksum(intactImage));
    EXPECT_LT(PeakResidentKiB(), kMaxResidentKiB);
}

}  // namespace
