// Opening devices and volumes by name, and the disk-quota COM object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/platform/SimTestSupport.h"

using namespace strata_sim;
using simtest::InstalledMachine;
using simtest::OpenForProbe;
using testing::ElementsAre;

namespace {

// CLSID_DiskQuotaControl and IID_IDiskQuotaControl, as Windows declares them.
const GUID clsid = {0x7988B571, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};
const GUID iid = {0x7988B572, 0xEC89, 0x11CF, {0x9C, 0x00, 0x00, 0xAA, 0x00, 0xA1, 0x4F, 0x56}};

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

QuotaAnswer AskQuota(const std::wstring& path, BOOL readWrite = TRUE) {
    QuotaAnswer a = {E_FAIL, E_FAIL, 0xFFFFFFFF};
    const HRESULT com = CoInitialize(nullptr);
    IDiskQuotaControl* control = nullptr;
    a.created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<LPVOID*>(&control));
    if (a.created == S_OK) {
        a.initialized = control->Initialize(path.c_str(), readWrite);
        if (a.initialized == S_OK) control->GetQuotaState(&a.state);
        control->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return a;
}

}  // namespace

TEST(OpenDevice, DevicesOpenByInterfacePathOrNumberAndVolumesByDriveOrName) {
    InstalledMachine machine(simtest::ProbeMachine());
    const std::pair<const char*, DWORD> opens[] = {
        {"\\\\?\\scsi#disk&ven_ata&prod_first#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", ERROR_SUCCESS},
        {"\\\\.\\SCSI#DISK&VEN_ATA&PROD_FIRST#4&1&0&000000#{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}", ERROR_SUCCESS},
        {"\\\\.\\PhysicalDrive0", ERROR_SUCCESS},
        {"\\\\.\\PHYSICALDRIVE2", ERROR_FILE_NOT_FOUND},
        {"\\\\.\\CdRom0", ERROR_SUCCESS},  // opens without a disc
        {"\\\\?\\ide#cdrom#1#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", ERROR_FILE_NOT_FOUND},
        {"\\\\.\\C:", ERROR_SUCCESS},
        {"\\\\.\\D:", ERROR_SUCCESS},
        {"\\\\?\\Volume{22222222-2222-2222-2222-222222222222}", ERROR_SUCCESS},
        {"\\\\.\\Q:", ERROR_FILE_NOT_FOUND},
        // A mount folder's device path, as formed from C:\data\ cut at its last backslash.
        {"\\\\.\\C:\\data", ERROR_FILE_NOT_FOUND},
        {"\\\\.\\C:\\no\\such", ERROR_PATH_NOT_FOUND},
        {"\\\\.\\Q:\\data", ERROR_PATH_NOT_FOUND},
        {"C:\\", ERROR_ACCESS_DENIED},  // a folder
        {"\\\\.\\D:\\ (CD-Rom)", ERROR_NOT_READY},  // a file on a drive without a disc
        {"\\\\.\\R:\\x", ERROR_UNRECOGNIZED_VOLUME},
    };
    for (const auto& [path, error] : opens) EXPECT_EQ(OpenError(path), error) << path;
    EXPECT_EQ(OpenHandleCount(), 0);
}

// Each access to a drive without a medium while system error dialogs are
// allowed is counted, and each request for write access is noted.
TEST(OpenDevice, RiskyAccessesAndWriteRequestsAreNoted) {
    InstalledMachine machine(simtest::ProbeMachine());
    const UINT before = SetErrorMode(0);
    char label[64];
    for (int errorsOff = 0; errorsOff < 2; ++errorsOff) {
        HANDLE cdrom = OpenForProbe("\\\\.\\CdRom0");
        DISK_GEOMETRY geometry;
        DWORD returned = 0;
        DeviceIoControl(cdrom, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned,
                        nullptr);
        CloseHandle(cdrom);
        CloseHandle(CreateFileA("\\\\.\\C:", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        _close(_open("\\\\.\\CdRom0", _O_RDONLY | _O_BINARY));
        GetVolumeInformationA("D:\\", label, 64, nullptr, nullptr, nullptr, nullptr, 0);
        GetVolumeInformationA("C:\\", label, 64, nullptr, nullptr, nullptr, nullptr, 0);
        FindFirstVolumeMountPointA("D:\\", label, 64);
        AskQuota(L"D:\\");
        EXPECT_EQ(SetErrorMode(SEM_FAILCRITICALERRORS), errorsOff ? UINT(SEM_FAILCRITICALERRORS) : 0u);
        EXPECT_EQ(CurrentErrorMode(), UINT(SEM_FAILCRITICALERRORS));
    }
    EXPECT_THAT(DialogRisks(), ElementsAre("CreateFileA \\\\.\\CdRom0",
                                           "DeviceIoControl \\\\?\\ide#cdrom#0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}",
                                           "_open \\\\.\\CdRom0",
                                           "GetVolumeInformationA D:\\", "FindFirstVolumeMountPointA D:\\",
                                           "IDiskQuotaControl::Initialize D:\\"));
    EXPECT_THAT(WriteRequests(), ElementsAre("CreateFileA \\\\.\\CdRom0", "IDiskQuotaControl::Initialize D:\\",
                                             "CreateFileA \\\\.\\CdRom0", "IDiskQuotaControl::Initialize D:\\"));
    SetMachine(CurrentMachine());  // a machine installed anew starts both lists afresh
    EXPECT_TRUE(DialogRisks().empty());
    EXPECT_TRUE(WriteRequests().empty());
    SetErrorMode(before);
}

TEST(OpenDevice, NothingIsCreatedOrTruncated) {
    InstalledMachine machine(simtest::ProbeMachine());
    for (DWORD disposition : {DWORD(CREATE_ALWAYS), DWORD(TRUNCATE_EXISTING), DWORD(CREATE_NEW)}) {
        HANDLE h = CreateFileA("\\\\.\\PHYSICALDRIVE0", GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    }
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(Quota, StateOfAVolumeRootWithAFileSystem) {
    InstalledMachine machine(simtest::ProbeMachine());
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

// A caller without write rights gets no read/write control object, but can
// read the state; a thread the host put in the multithreaded apartment makes
// CoInitialize answer RPC_E_CHANGED_MODE and creates objects all the same.
TEST(Quota, CallersWithoutWriteRightsAndInTheMultithreadedApartmentStillRead) {
    Machine machine = simtest::ProbeMachine();
    machine.quotaWriteAccess = false;
    machine.comMultithreaded = true;
    InstalledMachine installed(machine);
    EXPECT_EQ(AskQuota(L"C:\\").initialized, HRESULT(0x80070005));  // ERROR_ACCESS_DENIED
    const QuotaAnswer readOnly = AskQuota(L"C:\\", FALSE);
    EXPECT_EQ(readOnly.initialized, S_OK);
    EXPECT_EQ(readOnly.state, DWORD(DISKQUOTA_STATE_TRACK | 0x100));
    EXPECT_EQ(CoInitialize(nullptr), HRESULT(0x80010106));
    EXPECT_EQ(ComBalance(), 0);
    EXPECT_EQ(LiveQuotaObjects(), 0);
}

TEST(Quota, ComRulesAreKept) {
    InstalledMachine machine(simtest::ProbeMachine());
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
