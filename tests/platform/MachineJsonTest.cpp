// Machine descriptions: the documented example and the sample load, and
// every mistake in a description is reported by name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/SimBuilders.h"
#include "tests/platform/SimTestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <stdexcept>

using namespace strata_sim;
using simtest::TempFolder;
using testing::HasSubstr;

namespace {

// The first ```json block of the format's documentation.
std::string DocumentedExample() {
    std::ifstream in(std::string(STRATA_SOURCE_DIR) + "/platform/sim/README.md");
    const std::string readme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string open = "```json\n";
    const std::size_t start = readme.find(open);
    const std::size_t end = readme.find("```", start + open.size());
    if (start == std::string::npos || end == std::string::npos) return "";
    return readme.substr(start + open.size(), end - start - open.size());
}

// The error a description gives, or "" when it loads.
std::string LoadError(const std::string& json, const std::string& baseDir = "") {
    try {
        LoadMachineJson(json, baseDir);
    } catch (const std::runtime_error& e) {
        ResetMachine();
        return e.what();
    }
    ResetMachine();
    return "";
}

const char kDisk[] = R"({"class": "disk", "instanceId": "SCSI\\DISK\\0", "length": 1048576})";

}  // namespace

class MachineJson : public ::testing::Test {
protected:
    void TearDown() override { ResetMachine(); }
    TempFolder dir;
};

TEST_F(MachineJson, TheDocumentedExampleAndTheSampleLoad) {
    std::filesystem::create_directories(dir.File("images"));
    simtest::ImageBuilder(1 << 20).Write(dir.File("images/dynamic.img"));
    const std::string example = DocumentedExample();
    ASSERT_FALSE(example.empty());
    LoadMachineJson(example, dir.path());
    const Machine m = CurrentMachine();
    EXPECT_EQ(MachineName(), "LAB-PC");
    ASSERT_EQ(m.devices.size(), 6u);
    EXPECT_EQ(m.devices[0].layout->mbrSignature, 0x5354524Bu);
    EXPECT_EQ(m.devices[2].image, dir.path() + "/images/dynamic.img");
    EXPECT_EQ(*m.devices[2].length, 1 << 20);
    EXPECT_FALSE(m.devices[5].hasInterface);
    ASSERT_EQ(m.volumes.size(), 3u);
    EXPECT_EQ(*m.volumes[1].partitionNumber, 2);  // from disk 0's layout
    EXPECT_FALSE(*m.volumes[2].mediaPresent);      // from the empty DVD drive
    ASSERT_EQ(m.failures.size(), 3u);
    EXPECT_EQ(m.failures[0].controlCode, DWORD(IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    EXPECT_EQ(m.failures[2].nth, 2u);

    LoadMachineFile(std::string(STRATA_SOURCE_DIR) + "/samples/basic.json");
    EXPECT_EQ(MachineName(), "STRATA-SAMPLE");
    EXPECT_EQ(GetDriveTypeA("D:\\"), UINT(DRIVE_CDROM));
}

TEST_F(MachineJson, RelativeImagePathsAreTakenFromTheDescriptionsFolder) {
    std::filesystem::create_directories(dir.File("machine"));
    simtest::ImageBuilder(3 << 20).Write(dir.File("machine/disk.img"));
    std::ofstream(dir.File("machine/m.json"))
        << R"({"devices": [{"class": "disk", "instanceId": "SCSI\\DISK\\0", "image": "disk.img"}]})";
    LoadMachineFile(dir.File("machine/m.json"));
    EXPECT_EQ(*CurrentMachine().devices[0].length, 3 << 20);
}

// Each mistake is named with its place in the description.
TEST_F(MachineJson, MistakesAndMachinesThatCannotExistAreRefusedByTheirPlace) {
    const std::string c = R"({"roots": ["C:\\"]})";
    const std::pair<std::string, std::string> cases[] = {
        {"{ \"devices\": [ ", "machine"},
        {"[]", "must be an object"},
        {R"({"devices": [{"class": "disk", "instanceId": "X", "lenght": 1}]})", "machine.devices[0].lenght"},
        {R"({"devices": [{"class": "usb", "instanceId": "X"}]})", "class"},
        {R"({"devices": [{"class": "disk"}]})", "instanceId"},
        {R"({"devices": [{"class": "disk", "instanceId": "X"}]})", "needs a length"},
        {R"({"devices": [{"class": "disk", "instanceId": "X", "image": "missing.img"}]})", "cannot open image"},
        {R"({"devices": [{"class": "disk", "instanceId": "X", "length": -5}]})", "length"},
        {std::string(R"({"devices": [)") + kDisk + R"(, )" + kDisk + "]}", "used twice"},
        {R"({"devices": [{"class": "disk", "instanceId": "X", "length": 1,
             "layout": {"style": "gpt", "diskId": "{1234}"}}]})", "GUID"},
        {R"({"volumes": [{"roots": ["C:"]}]})", "drive root"},
        {R"({"volumes": [{"roots": ["C:\\"]}, {"roots": ["c:\\"]}]})", "used twice"},
        {R"({"volumes": [{"mountFolders": ["Q:\\data\\"]}]})", "lies on no volume"},
        {R"({"volumes": [{"roots": ["C:\\"]}, {"mountFolders": ["C:\\a\\..\\"]}]})", "without . or .. parts"},
        {R"({"volumes": [{"driveType": "floppy"}]})", "driveType"},
        {std::string(R"({"devices": [)") + kDisk + R"(], "devices": []})", "the key \"devices\" is given twice"},
        {R"({"failures": [{"call": "CreateFileA", "error": "lots"}]})", "error"},
        {R"({"failures": [{"call": "DeviceIoControll", "error": 5}]})", "DeviceIoControll"},
        {R"({"devices": [{"class": "disk", "instanceId": "X", "image": "."}]})", "not a regular file or block device"},
        {R"({"name": ")" + std::string(256, 'N') + "\"}", "longer than 255"},
        {R"({"volumes": [{"label": ")" + std::string(32768, 'N') + "\"}]}", "longer than 32767"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": -1048576, "length": 1}]}]})",
         "machine.volumes[0].extents[0].offset"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 0, "length": -1048576}]}]})",
         "machine.volumes[0].extents[0].length"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 9223372036854775807, "length": 1}]}]})",
         "extent 0 ends past"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 0, "length": 5000000000000000000},
                                      {"disk": 1, "offset": 0, "length": 5000000000000000000}]}]})",
         "extents are longer than"},
        {R"({"volumes": [{"roots": ["C:\\"], "mountFolders": ["C:\\self\\"]}]})", "mounted inside itself"},
        {R"({"volumes": [{"guidName": "\\\\?\\Volume{00000000-0000-0000-0000-00000000000a}\\",
                          "mountFolders": ["\\\\?\\Volume{00000000-0000-0000-0000-00000000000b}\\a\\"]},
                         {"guidName": "\\\\?\\Volume{00000000-0000-0000-0000-00000000000b}\\",
                          "mountFolders": ["\\\\?\\Volume{00000000-0000-0000-0000-00000000000a}\\b\\"]}]})",
         "mounted inside itself"},
        // Loads: a mount folder on a volume mounted in another, and unknown top-level comments.
        {R"({"volumes": [)" + c + R"(, {"roots": ["D:\\"], "mountFolders": ["C:\\d\\"]},
                          {"mountFolders": ["D:\\e\\"]}]})", ""},
        {R"({"comment": "fine", "volumes": [{"serialNumber": "0xFFFFFFFF"}]})", ""},
    };
    for (const auto& [json, reason] : cases) {
        const std::string error = LoadError(json, dir.path());
        if (reason.empty()) {
            EXPECT_EQ(error, "") << json;
        } else {
            EXPECT_THAT(error, HasSubstr(reason)) << json;
        }
    }
    // Machines built in code get the same checks.
    Machine machine;
    Volume volume;
    volume.extents = {DiskExtentDescription{0, -1048576, 1048576}};
    machine.volumes.push_back(volume);
    EXPECT_THROW(SetMachine(machine), std::runtime_error);
    machine.volumes.clear();
    machine.failures.push_back(strata_test::Fail("CreateFileA", "", ERROR_CRC, IOCTL_DISK_GET_LENGTH_INFO));
    EXPECT_THROW(SetMachine(machine), std::runtime_error);  // a control code only for DeviceIoControl
}

namespace {

// Runs a load that might wait on the FIFO for a writer that never comes. A
// load still waiting after ten seconds is released by opening the other end
// once, and counts as blocked.
std::string ErrorWithoutBlocking(const std::function<std::string()>& load, const std::string& fifo) {
    std::future<std::string> result = std::async(std::launch::async, load);
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
        result.get();
        return "blocked on the FIFO";
    }
    return result.get();
}

std::string FileLoadError(const std::string& path) {
    try {
        LoadMachineFile(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST_F(MachineJson, OnlyRegularFilesOfBoundedSizeAreRead) {
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const std::string huge = dir.File("huge.json");
    { std::ofstream create(huge); }
    std::filesystem::resize_file(huge, 17 << 20);
    struct Case {
        const char* what;
        std::function<std::string()> load;
        std::vector<std::string> reasons;
    };
    const Case cases[] = {
        {"image FIFO",
         [&] { return LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "image": "pipe"}]})", dir.path()); },
         {"device 0", "pipe", "not a regular file or block device"}},
        {"description FIFO", [&] { return FileLoadError(fifo); }, {fifo, "not a regular file"}},
        {"description device", [&] { return FileLoadError("/dev/null"); }, {"/dev/null", "not a regular file"}},
        {"huge description", [&] { return FileLoadError(huge); }, {huge, "larger than 16 MiB"}},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorWithoutBlocking(c.load, fifo);
        for (const std::string& reason : c.reasons) {
            EXPECT_THAT(error, HasSubstr(reason)) << c.what;
        }
    }
}
