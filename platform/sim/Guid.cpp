#include "platform/sim/Guid.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace strata_sim {

namespace {

const std::size_t kGuidTextLength = 36;  // without braces
const std::size_t kDashPositions[] = {8, 13, 18, 23};

// The storage device-interface classes.
const GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kCdromInterface = {0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kTapeInterface = {0x53F5630B, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kFloppyInterface = {0x53F56311, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// The setup classes DiskDrive, CDROM, TapeDrive and FloppyDisk.
const GUID kDiskSetupClass = {0x4D36E967, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kCdromSetupClass = {0x4D36E965, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kTapeSetupClass = {0x6D807884, 0x7D21, 0x11CF, {0x80, 0x1C, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kFloppySetupClass = {0x4D36E980, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct ClassRow {
    InterfaceClass cls;
    const char* name;
    const GUID* interfaceGuid;
    const GUID* setupGuid;
};

const ClassRow kClasses[] = {
    {InterfaceClass::Disk, "disk", &kDiskInterface, &kDiskSetupClass},
    {InterfaceClass::CdRom, "cdrom", &kCdromInterface, &kCdromSetupClass},
    {InterfaceClass::Tape, "tape", &kTapeInterface, &kTapeSetupClass},
    {InterfaceClass::Floppy, "floppy", &kFloppyInterface, &kFloppySetupClass},
};

const ClassRow& Row(InterfaceClass cls) {
    for (const ClassRow& row : kClasses) {
        if (row.cls == cls) return row;
    }
    return kClasses[0];
}

bool HexValue(const std::string& text, std::size_t start, std::size_t digits, unsigned long long& value) {
    value = 0;
    for (std::size_t i = start; i < start + digits; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(c)) return false;
        value = value * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return true;
}

}  // namespace

bool ParseGuid(const std::string& text, GUID& guid) {
    std::string body = text;
    if (body.size() == kGuidTextLength + 2 && body.front() == '{' && body.back() == '}') {
        body = body.substr(1, kGuidTextLength);
    }
    if (body.size() != kGuidTextLength) return false;
    for (std::size_t dash : kDashPositions) {
        if (body[dash] != '-') return false;
    }
    unsigned long long value = 0;
    GUID parsed = {};
    if (!HexValue(body, 0, 8, value)) return false;
    parsed.Data1 = static_cast<DWORD>(value);
    if (!HexValue(body, 9, 4, value)) return false;
    parsed.Data2 = static_cast<WORD>(value);
    if (!HexValue(body, 14, 4, value)) return false;
    parsed.Data3 = static_cast<WORD>(value);
    const std::size_t bytePositions[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!HexValue(body, bytePositions[i], 2, value)) return false;
        parsed.Data4[i] = static_cast<BYTE>(value);
    }
    guid = parsed;
    return true;
}

std::string GuidText(const GUID& guid) {
    char text[39];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

bool SameGuid(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}

bool IsZeroGuid(const GUID& guid) {
    static const GUID zero = {};
    return SameGuid(guid, zero);
}

const GUID& InterfaceClassGuid(InterfaceClass cls) { return *Row(cls).interfaceGuid; }
const GUID& SetupClassGuid(InterfaceClass cls) { return *Row(cls).setupGuid; }
const char* InterfaceClassName(InterfaceClass cls) { return Row(cls).name; }

bool InterfaceClassFromName(const std::string& name, InterfaceClass& cls) {
    for (const ClassRow& row : kClasses) {
        if (name == row.name) {
            cls = row.cls;
            return true;
        }
    }
    return false;
}

bool InterfaceClassFromGuid(const GUID& guid, InterfaceClass& cls) {
    for (const ClassRow& row : kClasses) {
        if (SameGuid(guid, *row.interfaceGuid)) {
            cls = row.cls;
            return true;
        }
    }
    return false;
}

}  // namespace strata_sim
