#include "tools/strata-capture/ControlCodes.h"

#include "collect/GrowingReply.h"

#include <cstdio>
#include <cstring>

namespace strata_capture {

namespace {

const std::size_t kGptNameLength = 36;

std::string HexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02X", value & 0xFFu);
    return text;
}

// GPT names are UTF-16; descriptions hold ASCII, so anything else becomes '?'.
// (The SDK's units are WCHAR, the simulated machine's 16-bit integers.)
template <typename Unit>
std::string AsciiName(const Unit* name) {
    std::string text;
    for (std::size_t i = 0; i < kGptNameLength && name[i] != 0; ++i) {
        text += name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
    }
    return text;
}

Json EntryJson(const PARTITION_INFORMATION_EX& entry, PARTITION_STYLE style) {
    Json json = Json::object();
    json["offset"] = entry.StartingOffset.QuadPart;
    json["length"] = entry.PartitionLength.QuadPart;
    json["number"] = entry.PartitionNumber;
    if (style == PARTITION_STYLE_GPT) {
        json["type"] = GuidText(entry.Gpt.PartitionType);
        json["id"] = GuidText(entry.Gpt.PartitionId);
        json["attributes"] = entry.Gpt.Attributes;
        json["name"] = AsciiName(entry.Gpt.Name);
    } else if (style == PARTITION_STYLE_MBR) {
        json["type"] = HexByte(entry.Mbr.PartitionType);
        json["boot"] = entry.Mbr.BootIndicator != 0;
        json["recognized"] = entry.Mbr.RecognizedPartition != 0;
        json["hiddenSectors"] = entry.Mbr.HiddenSectors;
    }
    return json;
}

}  // namespace

ControlReply SendControl(HANDLE handle, DWORD code, std::size_t size) {
    ControlReply reply;
    reply.bytes.assign(size, 0);
    DWORD returned = 0;
    reply.ok = DeviceIoControl(handle, code, nullptr, 0, reply.bytes.data(),
                               static_cast<DWORD>(size), &returned, nullptr) != 0;
    reply.error = reply.ok ? 0 : GetLastError();
    reply.returned = returned <= size ? returned : static_cast<DWORD>(size);
    return reply;
}

ControlReply SendListControl(HANDLE handle, DWORD code, std::size_t size, std::size_t limit) {
    ControlReply reply = SendControl(handle, code, size);
    while (!reply.ok && strata_col::IsShortBufferError(reply.error) && size * 2 <= limit) {
        size *= 2;
        reply = SendControl(handle, code, size);
    }
    return reply;
}

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

std::string GuidText(const GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

bool LayoutOfReply(const ControlReply& reply, Json& layout, std::uint32_t& partitionCount) {
    if (reply.returned < kLayoutHeaderSize) return false;
    DRIVE_LAYOUT_INFORMATION_EX header;
    std::memcpy(&header, reply.bytes.data(), kLayoutHeaderSize);
    const PARTITION_STYLE style = static_cast<PARTITION_STYLE>(header.PartitionStyle);
    layout = Json::object();
    if (style == PARTITION_STYLE_MBR) {
        layout["style"] = "mbr";
        layout["signature"] = header.Mbr.Signature;
    } else if (style == PARTITION_STYLE_GPT) {
        layout["style"] = "gpt";
        layout["diskId"] = GuidText(header.Gpt.DiskId);
        layout["startingUsableOffset"] = header.Gpt.StartingUsableOffset.QuadPart;
        layout["usableLength"] = header.Gpt.UsableLength.QuadPart;
        layout["maxPartitionCount"] = header.Gpt.MaxPartitionCount;
    } else {
        layout["style"] = "raw";
    }
    // Only the entries the reply holds; a count beyond them is not believed.
    const std::size_t held = (reply.returned - kLayoutHeaderSize) / kLayoutEntrySize;
    partitionCount = header.PartitionCount < held ? header.PartitionCount
                                                  : static_cast<std::uint32_t>(held);
    Json partitions = Json::array();
    for (std::uint32_t i = 0; i < partitionCount; ++i) {
        PARTITION_INFORMATION_EX entry;
        std::memcpy(&entry, reply.bytes.data() + kLayoutHeaderSize + i * kLayoutEntrySize,
                    kLayoutEntrySize);
        partitions.push_back(EntryJson(entry, style));
    }
    layout["partitions"] = partitions;
    return true;
}

}  // namespace strata_capture
