// Machine descriptions in JSON, read into the same model tests build in code.
#include "platform/sim/DescriptionFile.h"
#include "platform/UniqueKeyJson.h"
#include "platform/sim/Guid.h"
#include "platform/sim/JsonObject.h"
#include "platform/sim/SimMachine.h"

#include <stdexcept>
#include <nlohmann/json.hpp>

namespace strata_sim {

namespace {

struct NamedValue {
    const char* name;
    std::uint32_t value;
};

const NamedValue kDriveTypes[] = {
    {"unknown", DRIVE_UNKNOWN}, {"noRootDir", DRIVE_NO_ROOT_DIR}, {"removable", DRIVE_REMOVABLE},
    {"fixed", DRIVE_FIXED},     {"remote", DRIVE_REMOTE},         {"cdrom", DRIVE_CDROM},
    {"ramdisk", DRIVE_RAMDISK},
};

const NamedValue kQuotaStates[] = {
    {"disabled", DISKQUOTA_STATE_DISABLED}, {"track", DISKQUOTA_STATE_TRACK}, {"enforce", DISKQUOTA_STATE_ENFORCE},
};

const NamedValue kControlCodes[] = {
    {"IOCTL_STORAGE_GET_DEVICE_NUMBER", IOCTL_STORAGE_GET_DEVICE_NUMBER},
    {"IOCTL_STORAGE_GET_MEDIA_TYPES_EX", IOCTL_STORAGE_GET_MEDIA_TYPES_EX},
    {"IOCTL_DISK_GET_DRIVE_GEOMETRY", IOCTL_DISK_GET_DRIVE_GEOMETRY},
    {"IOCTL_CDROM_GET_DRIVE_GEOMETRY", IOCTL_CDROM_GET_DRIVE_GEOMETRY},
    {"IOCTL_DISK_GET_LENGTH_INFO", IOCTL_DISK_GET_LENGTH_INFO},
    {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX", IOCTL_DISK_GET_DRIVE_LAYOUT_EX},
    {"IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS},
};

const std::uint64_t kMaxU32 = UINT32_MAX;
// The computer name goes into every instance the plug-in reports.
const std::size_t kMaxMachineNameLength = 255;

// A number, or one of the names of the table.
template <std::size_t N>
std::optional<std::uint32_t> NumberOrName(JsonObject& object, const std::string& key, const NamedValue (&names)[N]) {
    if (!object.Has(key)) return std::nullopt;
    const nlohmann::json* v = object.Get(key);
    if (v->is_string()) {
        for (const NamedValue& named : names) {
            if (v->get<std::string>() == named.name) return named.value;
        }
    }
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (!JsonInteger(*v, false, magnitude, negative) || magnitude > kMaxU32) {
        std::string known;
        for (const NamedValue& named : names) known += std::string(known.empty() ? "" : ", ") + named.name;
        object.Fail(key, "must be a number or one of: " + known);
    }
    return static_cast<std::uint32_t>(magnitude);
}

GUID ReadGuid(JsonObject& object, const std::string& key) {
    GUID guid = {};
    const std::optional<std::string> text = object.Text(key);
    if (text && !ParseGuid(*text, guid)) object.Fail(key, "must be a GUID like {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}");
    return guid;
}

template <class T>
void Assign(std::optional<T>& target, const std::optional<std::uint64_t>& value) {
    if (value) target = static_cast<T>(*value);
}

std::string ImagePath(const std::string& path, const std::string& baseDir) {
    if (path.empty() || path.front() == '/' || baseDir.empty()) return path;
    return baseDir + "/" + path;
}

PartitionEntry ReadPartition(JsonObject o, PARTITION_STYLE style) {
    PartitionEntry p;
    p.startingOffset = o.Signed("offset", 0).value_or(0);
    p.length = o.Signed("length", 0).value_or(0);
    p.number = static_cast<std::uint32_t>(o.Unsigned("number", kMaxU32).value_or(0));
    if (style == PARTITION_STYLE_GPT) {
        p.gptType = ReadGuid(o, "type");
        p.gptId = ReadGuid(o, "id");
        p.gptAttributes = o.Unsigned("attributes").value_or(0);
        p.gptName = o.Text("name").value_or("");
    } else {
        p.mbrType = static_cast<std::uint8_t>(o.Unsigned("type", 0xFF).value_or(0));
        p.bootIndicator = o.Bool("boot").value_or(false);
        if (const std::optional<bool> recognized = o.Bool("recognized")) p.recognized = *recognized;
        Assign(p.hiddenSectors, o.Unsigned("hiddenSectors", kMaxU32));
    }
    o.Finish();
    return p;
}

DriveLayout ReadLayout(JsonObject o) {
    DriveLayout layout;
    const std::string style = o.Text("style").value_or("mbr");
    if (style == "mbr") {
        layout.style = PARTITION_STYLE_MBR;
    } else if (style == "gpt") {
        layout.style = PARTITION_STYLE_GPT;
    } else if (style == "raw") {
        layout.style = PARTITION_STYLE_RAW;
    } else {
        o.Fail("style", "must be mbr, gpt or raw");
    }
    if (layout.style == PARTITION_STYLE_MBR) {
        layout.mbrSignature = static_cast<std::uint32_t>(o.Unsigned("signature", kMaxU32).value_or(0));
    }
    if (layout.style == PARTITION_STYLE_GPT) {
        layout.gptDiskId = ReadGuid(o, "diskId");
        layout.gptStartingUsableOffset = o.Signed("startingUsableOffset", 0).value_or(0);
        layout.gptUsableLength = o.Signed("usableLength", 0).value_or(0);
        layout.gptMaxPartitionCount = static_cast<std::uint32_t>(o.Unsigned("maxPartitionCount", kMaxU32).value_or(128));
    }
    for (JsonObject& p : o.Objects("partitions")) layout.partitions.push_back(ReadPartition(p, layout.style));
    o.Finish();
    return layout;
}

Geometry ReadGeometry(JsonObject o) {
    Geometry g;
    Assign(g.mediaType, o.Unsigned("mediaType", kMaxU32));
    Assign(g.bytesPerSector, o.Unsigned("bytesPerSector", kMaxU32));
    if (const std::optional<std::int64_t> cylinders = o.Signed("cylinders", 0)) g.cylinders = *cylinders;
    Assign(g.tracksPerCylinder, o.Unsigned("tracksPerCylinder", kMaxU32));
    Assign(g.sectorsPerTrack, o.Unsigned("sectorsPerTrack", kMaxU32));
    o.Finish();
    return g;
}

Device ReadDevice(JsonObject o, const std::string& baseDir) {
    Device d;
    const std::optional<std::string> cls = o.Text("class");
    if (!cls || !InterfaceClassFromName(*cls, d.interfaceClass)) o.Fail("class", "must be disk, cdrom, tape or floppy");
    const std::optional<std::string> id = o.Text("instanceId");
    if (!id || id->empty()) o.Fail("instanceId", "is required");
    d.instanceId = *id;
    d.devicePath = o.Text("devicePath").value_or("");
    d.hasInterface = o.Bool("hasInterface").value_or(true);
    d.present = o.Bool("present").value_or(true);
    d.deviceNumber = static_cast<std::uint32_t>(o.Unsigned("deviceNumber", kMaxU32).value_or(0));
    Assign(d.deviceType, o.Unsigned("deviceType", kMaxU32));
    if (const nlohmann::json* types = o.Get("mediaTypes")) {
        std::vector<std::uint32_t> list;
        if (!types->is_array()) o.Fail("mediaTypes", "must be a list of numbers");
        for (const nlohmann::json& t : *types) {
            std::uint64_t magnitude = 0;
            bool negative = false;
            if (!JsonInteger(t, false, magnitude, negative) || magnitude > kMaxU32) {
                o.Fail("mediaTypes", "must be a list of numbers");
            }
            list.push_back(static_cast<std::uint32_t>(magnitude));
        }
        d.mediaTypes = list;
    }
    d.mediaPresent = o.Bool("mediaPresent").value_or(true);
    if (const nlohmann::json* g = o.Get("geometry")) d.geometry = ReadGeometry(JsonObject(*g, o.WhereOf("geometry")));
    if (const std::optional<std::int64_t> length = o.Signed("length", 0)) d.length = *length;
    d.image = ImagePath(o.Text("image").value_or(""), baseDir);
    if (const nlohmann::json* layout = o.Get("layout")) d.layout = ReadLayout(JsonObject(*layout, o.WhereOf("layout")));
    Assign(d.shortBufferError, o.Unsigned("shortBufferError", kMaxU32));
    o.Finish();
    return d;
}

// A mount folder names one folder: "C:\data\", never "C:\a\..\" (Windows
// mounts a volume only in an empty folder of a real path).
bool IsPlainFolderPath(const std::string& folder) {
    if (folder.size() < 2 || folder.back() != '\\') return false;
    std::size_t start = 0;
    for (std::size_t end = folder.find('\\'); end != std::string::npos; end = folder.find('\\', start)) {
        const std::string part = folder.substr(start, end - start);
        if (part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

Volume ReadVolume(JsonObject o) {
    Volume v;
    v.guidName = o.Text("guidName").value_or("");
    v.roots = o.TextList("roots");
    v.mountFolders = o.TextList("mountFolders");
    for (const std::string& folder : v.mountFolders) {
        if (!IsPlainFolderPath(folder)) {
            o.Fail("mountFolders", "must be folder paths ending in \\ without . or .. parts, not \"" + folder + "\"");
        }
    }
    v.driveType = NumberOrName(o, "driveType", kDriveTypes).value_or(DRIVE_FIXED);
    v.label = o.Text("label").value_or("");
    v.fileSystem = o.Text("fileSystem").value_or("");
    v.serialNumber = static_cast<std::uint32_t>(o.Unsigned("serialNumber", kMaxU32).value_or(0));
    v.maxComponentLength = static_cast<std::uint32_t>(o.Unsigned("maxComponentLength", kMaxU32).value_or(255));
    Assign(v.fileSystemFlags, o.Unsigned("fileSystemFlags", kMaxU32));
    v.freeBytes = o.Unsigned("freeBytes").value_or(0);
    Assign(v.totalBytes, o.Unsigned("totalBytes"));
    Assign(v.totalFreeBytes, o.Unsigned("totalFreeBytes"));
    v.quotaState = NumberOrName(o, "quotaState", kQuotaStates).value_or(DISKQUOTA_STATE_DISABLED);
    if (const std::optional<std::int64_t> length = o.Signed("length", 0)) v.length = *length;
    if (const std::optional<bool> present = o.Bool("mediaPresent")) v.mediaPresent = *present;
    for (JsonObject& e : o.Objects("extents")) {
        DiskExtentDescription extent;
        extent.diskNumber = static_cast<std::uint32_t>(e.Unsigned("disk", kMaxU32).value_or(0));
        extent.startingOffset = e.Signed("offset", 0).value_or(0);
        extent.length = e.Signed("length", 0).value_or(0);
        e.Finish();
        v.extents.push_back(extent);
    }
    v.emptyExtents = o.Bool("emptyExtents").value_or(false);
    Assign(v.deviceType, o.Unsigned("deviceType", kMaxU32));
    Assign(v.deviceNumber, o.Unsigned("deviceNumber", kMaxU32));
    if (const std::optional<std::int64_t> n = o.Signed("partitionNumber", INT32_MIN, INT32_MAX)) {
        v.partitionNumber = static_cast<std::int32_t>(*n);
    }
    Assign(v.shortBufferError, o.Unsigned("shortBufferError", kMaxU32));
    o.Finish();
    return v;
}

Failure ReadFailure(JsonObject o) {
    Failure f;
    const std::optional<std::string> call = o.Text("call");
    if (!call) o.Fail("call", "is required");
    f.call = *call;
    f.controlCode = NumberOrName(o, "controlCode", kControlCodes).value_or(0);
    f.target = o.Text("target").value_or("");
    f.error = static_cast<std::uint32_t>(o.Unsigned("error", kMaxU32).value_or(ERROR_GEN_FAILURE));
    f.nth = static_cast<std::uint32_t>(o.Unsigned("nth", kMaxU32).value_or(0));
    f.index = o.Signed("index", -1, kMaxU32).value_or(-1);
    o.Finish();
    return f;
}

Machine ReadMachine(const nlohmann::json& document, const std::string& baseDir) {
    JsonObject o(document, "machine");
    Machine m;
    m.name = o.Text("name", kMaxMachineNameLength).value_or(m.name);
    m.systemDirectory = o.Text("systemDirectory").value_or(m.systemDirectory);
    m.windowsDirectory = o.Text("windowsDirectory").value_or(m.windowsDirectory);
    for (JsonObject& d : o.Objects("devices")) m.devices.push_back(ReadDevice(d, baseDir));
    for (JsonObject& v : o.Objects("volumes")) m.volumes.push_back(ReadVolume(v));
    for (JsonObject& f : o.Objects("failures")) m.failures.push_back(ReadFailure(f));
    m.quotaWriteAccess = o.Bool("quotaWriteAccess").value_or(true);
    m.comMultithreaded = o.Bool("comMultithreaded").value_or(false);
    o.Finish();
    return m;
}

}  // namespace

void LoadMachineJson(const std::string& jsonText, const std::string& baseDir) {
    nlohmann::json document;
    try {
        document = strata_json::ParseUniqueKeys(jsonText);
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(std::string("machine description is not valid JSON: ") + e.what());
    }
    SetMachine(ReadMachine(document, baseDir));
}

void LoadMachineFile(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string baseDir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    try {
        LoadMachineJson(ReadDescriptionFile(path), baseDir);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

}  // namespace strata_sim
