// Machine descriptions: the documented example and the sample load, and
// every mistake in a description is reported by name.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <stdexcept>

using namespace strata_sim;
using simtest::TempDir;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first ```json block of the format's documentation.
std::string DocumentedExample() {
    const std::string readme = ReadText(std::string(STRATA_SOURCE_DIR) + "/platform/sim/README.md");
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
    TempDir dir;
};

TEST_F(MachineJson, TheDocumentedExampleLoadsWithEveryValue) {
    std::filesystem::create_directories(dir.File("images"));
    simtest::ImageBuilder(1 << 20).Write(dir.File("images/dynamic.img"));
    const std::string example = DocumentedExample();
    ASSERT_FALSE(example.empty());
    LoadMachineJson(example, dir.Path());
    const Machine m = CurrentMachine();
    EXPECT_EQ(MachineName(), "LAB-PC");
    ASSERT_EQ(m.devices.size(), 6u);
    EXPECT_EQ(m.devices[0].layout->mbrSignature, 0x5354524Bu);
    EXPECT_TRUE(m.devices[0].layout->partitions[0].bootIndicator);
    EXPECT_EQ(m.devices[1].layout->style, PARTITION_STYLE_GPT);
    EXPECT_EQ(m.devices[1].layout->partitions[0].gptName, "Basic data partition");
    EXPECT_EQ(m.devices[2].image, dir.Path() + "/images/dynamic.img");
    EXPECT_EQ(*m.devices[2].length, 1 << 20);
    EXPECT_EQ(m.devices[2].layout->style, PARTITION_STYLE_RAW);
    EXPECT_FALSE(m.devices[5].hasInterface);
    ASSERT_EQ(m.volumes.size(), 3u);
    EXPECT_EQ(m.volumes[0].quotaState, DWORD(DISKQUOTA_STATE_TRACK));
    EXPECT_EQ(m.volumes[0].serialNumber, 0x5A3C1E07u);
    EXPECT_EQ(*m.volumes[1].partitionNumber, 2);  // from disk 0's layout
    EXPECT_FALSE(*m.volumes[2].mediaPresent);      // from the empty DVD drive
    EXPECT_EQ(*m.volumes[2].deviceType, DWORD(FILE_DEVICE_DVD));
    ASSERT_EQ(m.failures.size(), 3u);
    EXPECT_EQ(m.failures[0].controlCode, DWORD(IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    EXPECT_EQ(m.failures[1].index, 5);
    EXPECT_EQ(m.failures[2].nth, 2u);

    char path[MAX_PATH];
    ASSERT_TRUE(GetVolumeNameForVolumeMountPointA("C:\\data\\", path, MAX_PATH));
    EXPECT_STREQ(path, "\\\\?\\Volume{6a2f4c20-8b0d-11ef-9a3b-806e6f6e6963}\\");
}

TEST_F(MachineJson, TheSampleMachineHasASystemDiskAndAnEmptyOpticalDrive) {
    LoadMachineFile(std::string(STRATA_SOURCE_DIR) + "/samples/basic.json");
    EXPECT_EQ(MachineName(), "STRATA-SAMPLE");
    char label[256], fs[256], path[MAX_PATH];
    ASSERT_TRUE(GetVolumeInformationA("C:\\", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_STREQ(label, "System");
    EXPECT_STREQ(fs, "NTFS");
    ASSERT_TRUE(GetVolumePathNameA("C:\\WINDOWS\\system32", path, MAX_PATH));
    EXPECT_STREQ(path, "C:\\");
    EXPECT_EQ(GetDriveTypeA("D:\\"), UINT(DRIVE_CDROM));
    EXPECT_FALSE(GetVolumeInformationA("D:\\", label, 256, nullptr, nullptr, nullptr, fs, 256));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));

    HANDLE c = simtest::OpenForProbe("\\\\.\\C:");
    STORAGE_DEVICE_NUMBER number = {};
    DWORD returned = 0;
    ASSERT_EQ(DeviceIoControl(c, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof(number), &returned,
                              nullptr),
              1);
    EXPECT_EQ(number.DeviceNumber, 0u);
    EXPECT_EQ(number.PartitionNumber, 1u);
    CloseHandle(c);
}

TEST_F(MachineJson, RelativeImagePathsAreTakenFromTheDescriptionsFolder) {
    std::filesystem::create_directories(dir.File("machine"));
    simtest::ImageBuilder(3 << 20).Write(dir.File("machine/disk.img"));
    std::ofstream(dir.File("machine/m.json"))
        << R"({"devices": [{"class": "disk", "instanceId": "SCSI\\DISK\\0", "image": "disk.img"}]})";
    LoadMachineFile(dir.File("machine/m.json"));
    EXPECT_EQ(*CurrentMachine().devices[0].length, 3 << 20);
}

TEST_F(MachineJson, MistakesAreReportedByTheirPlace) {
    EXPECT_NE(LoadError("{ \"devices\": [ "), "");
    EXPECT_NE(LoadError("[]").find("must be an object"), std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "lenght": 1}]})")
                  .find("machine.devices[0].lenght"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "usb", "instanceId": "X"}]})").find("class"), std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk"}]})").find("instanceId"), std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk", "instanceId": "X"}]})").find("needs a length"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "image": "missing.img"}]})",
                        dir.Path())
                  .find("cannot open image"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "length": -5}]})").find("length"),
              std::string::npos);
    EXPECT_NE(LoadError(std::string(R"({"devices": [)") + kDisk + R"(, )" + kDisk + "]}").find("used twice"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "length": 1,
                           "layout": {"style": "gpt", "diskId": "{1234}"}}]})")
                  .find("GUID"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"volumes": [{"roots": ["C:"]}]})").find("drive root"), std::string::npos);
    EXPECT_NE(LoadError(R"({"volumes": [{"roots": ["C:\\"]}, {"roots": ["c:\\"]}]})").find("used twice"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"volumes": [{"mountFolders": ["Q:\\data\\"]}]})").find("lies on no volume"),
              std::string::npos);
    EXPECT_NE(LoadError(R"({"volumes": [{"driveType": "floppy"}]})").find("driveType"), std::string::npos);
    EXPECT_NE(LoadError(R"({"failures": [{"call": "CreateFileA", "error": "lots"}]})").find("error"),
              std::string::npos);
    EXPECT_EQ(LoadError(R"({"comment": "fine", "volumes": [{"serialNumber": "0xFFFFFFFF"}]})"), "");
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
    const std::string longText(40000, 'N');
    struct Case {
        const char* what;
        std::function<std::string()> load;
        std::vector<std::string> reasons;
    };
    const Case cases[] = {
        {"image FIFO",
         [&] { return LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "image": "pipe"}]})", dir.Path()); },
         {"device 0", "pipe", "not a regular file or block device"}},
        {"image folder",
         [&] { return LoadError(R"({"devices": [{"class": "disk", "instanceId": "X", "image": "."}]})", dir.Path()); },
         {"not a regular file or block device"}},
        {"description FIFO", [&] { return FileLoadError(fifo); }, {fifo, "not a regular file"}},
        {"description device", [&] { return FileLoadError("/dev/null"); }, {"/dev/null", "not a regular file"}},
        {"huge description", [&] { return FileLoadError(huge); }, {huge, "larger than 16 MiB"}},
        {"long name", [&] { return LoadError(R"({"name": ")" + longText + "\"}"); }, {"machine.name", "longer than 255"}},
        {"long label",
         [&] { return LoadError(R"({"volumes": [{"label": ")" + longText + "\"}]}"); },
         {"machine.volumes[0].label", "longer than 32767"}},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorWithoutBlocking(c.load, fifo);
        for (const std::string& reason : c.reasons) {
            EXPECT_NE(error.find(reason), std::string::npos) << c.what << ": " << error;
        }
    }
}

TEST_F(MachineJson, ExtentsAndMountFoldersThatCannotExistAreRefused) {
    const std::string c = R"({"roots": ["C:\\"]})";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": -1048576, "length": 1}]}]})",
         "machine.volumes[0].extents[0].offset"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 0, "length": -1048576}]}]})",
         "machine.volumes[0].extents[0].length"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 9223372036854775807, "length": 1}]}]})",
         "extent 0 ends past"},
        {R"({"volumes": [{"extents": [{"disk": 0, "offset": 0, "length": 5000000000000000000},
                                      {"disk": 1, "offset": 0, "length": 5000000000000000000}]}]})",
         "extents are longer than"},
        {R"({"volumes": [)" + c + R"(, {"roots": ["D:\\"], "mountFolders": ["C:\\d\\"]},
                          {"mountFolders": ["D:\\e\\"]}]})",
         ""},
        {R"({"volumes": [{"roots": ["C:\\"], "mountFolders": ["C:\\self\\"]}]})", "mounted inside itself"},
        {R"({"volumes": [{"guidName": "\\\\?\\Volume{00000000-0000-0000-0000-00000000000a}\\",
                          "mountFolders": ["\\\\?\\Volume{00000000-0000-0000-0000-00000000000b}\\a\\"]},
                         {"guidName": "\\\\?\\Volume{00000000-0000-0000-0000-00000000000b}\\",
                          "mountFolders": ["\\\\?\\Volume{00000000-0000-0000-0000-00000000000a}\\b\\"]}]})",
         "mounted inside itself"},
    };
    for (const auto& [json, reason] : cases) {
        const std::string error = LoadError(json);
        if (reason.empty()) {
            EXPECT_EQ(error, "") << json;
        } else {
            EXPECT_NE(error.find(reason), std::string::npos) << json << "\n" << error;
        }
    }
    // Machines built in code get the same checks.
    Machine machine;
    Volume volume;
    volume.extents = {DiskExtentDescription{0, -1048576, 1048576}};
    machine.volumes.push_back(volume);
    EXPECT_THROW(SetMachine(machine), std::runtime_error);
}
