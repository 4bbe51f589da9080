// Opening devices and volumes by name, and the disk-quota COM object.
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

using namespace strata_sim;
using simtest::InstalledMachine;
using simtest::OpenForProbe;

namespace {

Machine SmallMachine() {
    Machine m;
    m.devices.push_back(simtest::Disk(0, "SCSI\\DISK&VEN_X\\1&2&3", 1 << 30));
    Device cd;
    cd.interfaceClass = InterfaceClass::CdRom;
    cd.instanceId = "IDE\\CDROM\\0";
    cd.mediaPresent = false;
    m.devices.push_back(cd);
    Volume c = simtest::BasicVolume("11111111-1111-1111-1111-111111111111", "C:\\", 0, 1 << 20, 1 << 29);
    c.quotaState = DISKQUOTA_STATE_TRACK | 0x100;  // bits beyond the state are passed on too
    Volume data = simtest::BasicVolume("22222222-2222-2222-2222-222222222222", "", 0, 1 << 29, 1 << 28);
    data.mountFolders = {"C:\\data\\"};
    data.quotaState = DISKQUOTA_STATE_ENFORCE;
    Volume raw = simtest::BasicVolume("33333333-3333-3333-3333-333333333333", "R:\\", 0, 3 << 28, 1 << 20);
    raw.fileSystem.clear();
    Volume d;
    d.guidName = "\\\\?\\Volume{44444444-4444-4444-4444-444444444444}\\";
    d.roots = {"D:\\"};
    d.driveType = DRIVE_CDROM;
    d.fileSystem = "CDFS";
    d.deviceNumber = 0;
    m.volumes = {c, data, raw, d};
    return m;
}

DWORD OpenError(const std::string& path) {
    HANDLE h = OpenForProbe(path);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return ERROR_SUCCESS;
    }
    return GetLastError();
}

struct QuotaAnswer {
    HRESULT created;
    HRESULT initialized;
    DWORD state;
};

QuotaAnswer AskQuota(const std::wstring& path) {
    const GUID clsid = {0x7988B571, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
    const GUID iid = {0x7988B572, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
    QuotaAnswer a = {E_FAIL, E_FAIL, 0xFFFFFFFF};
    const HRESULT com = CoInitialize(nullptr);
    IDiskQuotaControl* control = nullptr;
    a.created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<LPVOID*>(&control));
    if (a.created == S_OK) {
        a.initialized = control->Initialize(path.c_str(), TRUE);
        if (a.initialized == S_OK) control->GetQuotaState(&a.state);
        control->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return a;
}

}  // namespace

TEST(OpenDevice, DevicesOpenByInterfacePathAndByNumber) {
    InstalledMachine machine(SmallMachine());
    EXPECT_EQ(OpenError("\\\\?\\scsi#disk&ven_x#1&2&3#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\.\\SCSI#DISK&VEN_X#1&2&3#{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\.\\PhysicalDrive0"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\.\\PHYSICALDRIVE1"), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenError("\\\\.\\CdRom0"), DWORD(ERROR_SUCCESS));  // opens without a disc
    EXPECT_EQ(OpenError("\\\\?\\ide#cdrom#1#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}"), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(OpenDevice, VolumesOpenByDriveAndNameButFoldersDoNot) {
    InstalledMachine machine(SmallMachine());
    EXPECT_EQ(OpenError("\\\\.\\C:"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\.\\D:"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\?\\Volume{22222222-2222-2222-2222-222222222222}"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(OpenError("\\\\.\\Q:"), DWORD(ERROR_FILE_NOT_FOUND));
    // A mount folder's device path, as formed from C:\data\ cut at its last backslash.
    EXPECT_EQ(OpenError("\\\\.\\C:\\data"), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenError("\\\\.\\C:\\no\\such"), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(OpenError("\\\\.\\Q:\\data"), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(OpenError("C:\\"), DWORD(ERROR_ACCESS_DENIED));  // a folder
    EXPECT_EQ(OpenError("\\\\.\\D:\\ (CD-Rom)"), DWORD(ERROR_NOT_READY));  // a file on a drive without a disc
    EXPECT_EQ(OpenError("\\\\.\\R:\\x"), DWORD(ERROR_UNRECOGNIZED_VOLUME));
    EXPECT_EQ(OpenHandleCount(), 0);
}

TEST(OpenDevice, NothingIsCreatedOrTruncated) {
    InstalledMachine machine(SmallMachine());
    for (DWORD disposition : {DWORD(CREATE_ALWAYS), DWORD(TRUNCATE_EXISTING), DWORD(CREATE_NEW)}) {
        HANDLE h = CreateFileA("\\\\.\\PHYSICALDRIVE0", GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    }
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(Quota, StateOfAVolumeRootWithAFileSystem) {
    InstalledMachine machine(SmallMachine());
    QuotaAnswer a = AskQuota(L"C:\\");
    EXPECT_EQ(a.created, S_OK);
    EXPECT_EQ(a.initialized, S_OK);
    EXPECT_EQ(a.state, DWORD(DISKQUOTA_STATE_TRACK | 0x100));
    EXPECT_EQ(AskQuota(L"C:\\data\\").state, DWORD(DISKQUOTA_STATE_ENFORCE));
    EXPECT_EQ(AskQuota(L"R:\\").initialized, HRESULT(0x800703ED));  // no file system: ERROR_UNRECOGNIZED_VOLUME
    EXPECT_EQ(AskQuota(L"D:\\").initialized, HRESULT(0x80070015));  // no disc: ERROR_NOT_READY
    EXPECT_EQ(AskQuota(L"Q:\\").initialized, HRESULT(0x80070003));
    EXPECT_EQ(ComBalance(), 0);
    EXPECT_EQ(LiveQuotaObjects(), 0);
}

TEST(Quota, ComRulesAreKept) {
    InstalledMachine machine(SmallMachine());
    const GUID clsid = {0x7988B571, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
    const GUID iid = {0x7988B572, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object), HRESULT(0x800401F0));
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(ComBalance(), 2);
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, other, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object), S_OK);
    auto* control = static_cast<IDiskQuotaControl*>(object);
    DWORD state = 0;
    EXPECT_EQ(control->GetQuotaState(&state), E_FAIL);  // not initialised yet
    EXPECT_EQ(LiveQuotaObjects(), 1);
    control->AddRef();
    EXPECT_EQ(control->Release(), 1u);
    EXPECT_EQ(control->Release(), 0u);
    EXPECT_EQ(LiveQuotaObjects(), 0);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(ComBalance(), 0);
}
