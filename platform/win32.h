// The plug-in's one way to Windows.
//
// On Windows this is the SDK and nothing else: the real functions answer.
// Elsewhere it declares the same types (64-bit Windows layouts), constants
// (real values) and functions, and the simulated machine (libstratasim)
// implements them.
#ifndef STRATA_PLATFORM_WIN32_H
#define STRATA_PLATFORM_WIN32_H

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <setupapi.h>
#include <winioctl.h>
#include <ntddcdrm.h>
#include <dskquota.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

// The host interface has an operation of this name; the plug-in never calls
// the window-class function the SDK maps it to.
#undef GetClassName

// Runs the module entry point at load time; Windows calls DllMain itself.
#define STRATA_MODULE_ENTRY(entry)

#else  // the simulated machine

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#define STRATA_SIM_API extern "C" __attribute__((visibility("default")))

#define WINAPI
#define STDMETHODCALLTYPE

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned char BOOLEAN;
typedef unsigned short WORD;
typedef unsigned int DWORD;
typedef int LONG;
typedef unsigned int ULONG;
typedef unsigned int UINT;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef unsigned long long DWORD64;
typedef long long __int64;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef LONG HRESULT;  // 32 bits as on Windows, so that FAILED() sees the sign bit
typedef void* HANDLE;
typedef void* HWND;
typedef void* HINSTANCE;
typedef void* HLOCAL;
typedef void* HDEVINFO;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef char* PSTR;
typedef const char* LPCSTR;
typedef const char* PCSTR;
typedef const WCHAR* LPCWSTR;
typedef DWORD* LPDWORD;
typedef DWORD* PDWORD;
typedef DWORD DEVICE_TYPE;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define ANYSIZE_ARRAY 1
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID CLSID;
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const GUID& REFCLSID;
typedef const GUID& REFIID;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED* LPOVERLAPPED;

// ---- Error codes, process state, messages --------------------------------
#define ERROR_SUCCESS 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_DATA 13
#define ERROR_NO_MORE_FILES 18
#define ERROR_NOT_READY 21
#define ERROR_CRC 23
#define ERROR_SECTOR_NOT_FOUND 27
#define ERROR_GEN_FAILURE 31
#define ERROR_NOT_SUPPORTED 50
#define ERROR_INVALID_PARAMETER 87
#define ERROR_NOACCESS 998
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_MORE_DATA 234
#define ERROR_NO_MORE_ITEMS 259
#define ERROR_UNRECOGNIZED_VOLUME 1005
#define ERROR_NO_MEDIA_IN_DRIVE 1112
#define ERROR_NOT_FOUND 1168
#define ERROR_BAD_LENGTH 24
#define ERROR_FILE_EXISTS 80
#define ERROR_DIR_NOT_ROOT 144
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_MR_MID_NOT_FOUND 317
#define ERROR_IO_DEVICE 1117
#define ERROR_ALREADY_INITIALIZED 1247
#define ERROR_INVALID_USER_BUFFER 1784
#define ERROR_NOT_A_REPARSE_POINT 4390

#define SEM_FAILCRITICALERRORS 0x0001
#define SEM_NOGPFAULTERRORBOX 0x0002
#define SEM_NOOPENFILEERRORBOX 0x8000

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) ((((WORD)(sub)) << 10) | (WORD)(primary))

STRATA_SIM_API DWORD GetLastError(void);
STRATA_SIM_API void SetLastError(DWORD code);
STRATA_SIM_API UINT SetErrorMode(UINT mode);
STRATA_SIM_API UINT GetErrorMode(void);
STRATA_SIM_API DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                                    LPSTR buffer, DWORD size, va_list* arguments);
STRATA_SIM_API HLOCAL LocalFree(HLOCAL memory);

// ---- Module entry ----------------------------------------------------------
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// Runs the module entry point when the shared object is loaded and unloaded,
// as the Windows loader does for a DLL.
#define STRATA_MODULE_ENTRY(entry)                                              \
    __attribute__((constructor)) static void StrataModuleAttach(void) {         \
        entry(nullptr, DLL_PROCESS_ATTACH, nullptr);                            \
    }                                                                           \
    __attribute__((destructor)) static void StrataModuleDetach(void) {          \
        entry(nullptr, DLL_PROCESS_DETACH, nullptr);                            \
    }

// ---- SetupAPI -------------------------------------------------------------
#define DIGCF_DEFAULT 0x00000001
#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define DIGCF_PROFILE 0x00000008
#define DIGCF_DEVICEINTERFACE 0x00000010

typedef struct _SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

typedef struct _SP_DEVICE_INTERFACE_DATA {
    DWORD cbSize;
    GUID InterfaceClassGuid;
    DWORD Flags;
    ULONG_PTR Reserved;
} SP_DEVICE_INTERFACE_DATA, *PSP_DEVICE_INTERFACE_DATA;

typedef struct _SP_DEVICE_INTERFACE_DETAIL_DATA_A {
    DWORD cbSize;
    CHAR DevicePath[ANYSIZE_ARRAY];
} SP_DEVICE_INTERFACE_DETAIL_DATA_A, *PSP_DEVICE_INTERFACE_DETAIL_DATA_A;

STRATA_SIM_API HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                             DWORD flags);
STRATA_SIM_API BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, PSP_DEVINFO_DATA data);
STRATA_SIM_API BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                const GUID* interfaceGuid, DWORD memberIndex,
                                                PSP_DEVICE_INTERFACE_DATA data);
STRATA_SIM_API BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA device, PSTR buffer,
                                                DWORD bufferSize, PDWORD requiredSize);
STRATA_SIM_API BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA iface,
                                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                     DWORD detailSize, PDWORD requiredSize,
                                                     PSP_DEVINFO_DATA device);
STRATA_SIM_API BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);

// ---- Devices ----------------------------------------------------------------
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

STRATA_SIM_API HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES security, DWORD creationDisposition,
                                  DWORD flagsAndAttributes, HANDLE templateFile);
STRATA_SIM_API BOOL CloseHandle(HANDLE handle);
STRATA_SIM_API BOOL DeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer,
                                    DWORD inBufferSize, LPVOID outBuffer, DWORD outBufferSize,
                                    LPDWORD bytesReturned, LPOVERLAPPED overlapped);

#define IOCTL_STORAGE_GET_DEVICE_NUMBER 0x002D1080
#define IOCTL_STORAGE_GET_MEDIA_TYPES_EX 0x002D0C04
#define IOCTL_DISK_GET_DRIVE_GEOMETRY 0x00070000
#define IOCTL_CDROM_GET_DRIVE_GEOMETRY 0x0002404C
#define IOCTL_DISK_GET_LENGTH_INFO 0x0007405C
#define IOCTL_DISK_GET_DRIVE_LAYOUT_EX 0x00070050
#define IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS 0x00560000

#define FILE_DEVICE_CD_ROM 0x00000002
#define FILE_DEVICE_DISK 0x00000007
#define FILE_DEVICE_SCANNER 0x00000019
#define FILE_DEVICE_TAPE 0x0000001f
#define FILE_DEVICE_DVD 0x00000033
#define FILE_DEVICE_INFINIBAND 0x0000003B

typedef enum _MEDIA_TYPE {
    Unknown = 0,
    F5_1Pt2_512 = 1,
    F3_1Pt44_512 = 2,
    F3_2Pt88_512 = 3,
    F3_20Pt8_512 = 4,
    F3_720_512 = 5,
    RemovableMedia = 11,
    FixedMedia = 12
} MEDIA_TYPE;

typedef enum _STORAGE_MEDIA_TYPE {
    DDS_4mm = 0x20,
    MiniQic = 0x21,
    Travan = 0x22,
    QIC = 0x23,
    MP_8mm = 0x24,
    DLT = 0x27,
    LTO_Ultrium = 0x43,
    CD_ROM = 0x33,
    CD_R = 0x34,
    CD_RW = 0x35,
    DVD_ROM = 0x36,
    DVD_R = 0x37,
    DVD_RW = 0x38
} STORAGE_MEDIA_TYPE;

typedef struct _STORAGE_DEVICE_NUMBER {
    DEVICE_TYPE DeviceType;
    DWORD DeviceNumber;
    DWORD PartitionNumber;
} STORAGE_DEVICE_NUMBER;

typedef struct _DISK_GEOMETRY {
    LARGE_INTEGER Cylinders;
    MEDIA_TYPE MediaType;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    DWORD BytesPerSector;
} DISK_GEOMETRY;

typedef struct _GET_LENGTH_INFORMATION {
    LARGE_INTEGER Length;
} GET_LENGTH_INFORMATION;

typedef struct _DEVICE_MEDIA_INFO {
    union {
        struct {
            LARGE_INTEGER Cylinders;
            STORAGE_MEDIA_TYPE MediaType;
            DWORD TracksPerCylinder;
            DWORD SectorsPerTrack;
            DWORD BytesPerSector;
            DWORD NumberMediaSides;
            DWORD MediaCharacteristics;
        } DiskInfo;
        struct {
            LARGE_INTEGER Cylinders;
            STORAGE_MEDIA_TYPE MediaType;
            DWORD TracksPerCylinder;
            DWORD SectorsPerTrack;
            DWORD BytesPerSector;
            DWORD NumberMediaSides;
            DWORD MediaCharacteristics;
        } RemovableDiskInfo;
        struct {
            STORAGE_MEDIA_TYPE MediaType;
            DWORD MediaCharacteristics;
            DWORD CurrentBlockSize;
            DWORD BusType;
            union {
                struct {
                    BYTE MediumType;
                    BYTE DensityCode;
                } ScsiInformation;
            } BusSpecificData;
        } TapeInfo;
    } DeviceSpecific;
} DEVICE_MEDIA_INFO;

typedef struct _GET_MEDIA_TYPES {
    DWORD DeviceType;
    DWORD MediaInfoCount;
    DEVICE_MEDIA_INFO MediaInfo[1];
} GET_MEDIA_TYPES;

typedef enum _PARTITION_STYLE {
    PARTITION_STYLE_MBR = 0,
    PARTITION_STYLE_GPT = 1,
    PARTITION_STYLE_RAW = 2
} PARTITION_STYLE;

#define PARTITION_ENTRY_UNUSED 0x00
#define PARTITION_EXTENDED 0x05
#define PARTITION_XINT13_EXTENDED 0x0F
#define PARTITION_LDM 0x42
#define VALID_NTFT 0xC0
#define PARTITION_NTFT 0x80

typedef struct _PARTITION_INFORMATION_MBR {
    BYTE PartitionType;
    BOOLEAN BootIndicator;
    BOOLEAN RecognizedPartition;
    DWORD HiddenSectors;
    GUID PartitionId;
} PARTITION_INFORMATION_MBR;

typedef struct _PARTITION_INFORMATION_GPT {
    GUID PartitionType;
    GUID PartitionId;
    DWORD64 Attributes;
    unsigned short Name[36];  // UTF-16, as on Windows
} PARTITION_INFORMATION_GPT;

typedef struct _PARTITION_INFORMATION_EX {
    PARTITION_STYLE PartitionStyle;
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER PartitionLength;
    DWORD PartitionNumber;
    BOOLEAN RewritePartition;
    BOOLEAN IsServicePartition;
    union {
        PARTITION_INFORMATION_MBR Mbr;
        PARTITION_INFORMATION_GPT Gpt;
    };
} PARTITION_INFORMATION_EX;

typedef struct _DRIVE_LAYOUT_INFORMATION_MBR {
    DWORD Signature;
    DWORD CheckSum;
} DRIVE_LAYOUT_INFORMATION_MBR;

typedef struct _DRIVE_LAYOUT_INFORMATION_GPT {
    GUID DiskId;
    LARGE_INTEGER StartingUsableOffset;
    LARGE_INTEGER UsableLength;
    DWORD MaxPartitionCount;
} DRIVE_LAYOUT_INFORMATION_GPT;

typedef struct _DRIVE_LAYOUT_INFORMATION_EX {
    DWORD PartitionStyle;
    DWORD PartitionCount;
    union {
        DRIVE_LAYOUT_INFORMATION_MBR Mbr;
        DRIVE_LAYOUT_INFORMATION_GPT Gpt;
    };
    PARTITION_INFORMATION_EX PartitionEntry[1];
} DRIVE_LAYOUT_INFORMATION_EX;

typedef struct _DISK_EXTENT {
    DWORD DiskNumber;
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER ExtentLength;
} DISK_EXTENT;

typedef struct _VOLUME_DISK_EXTENTS {
    DWORD NumberOfDiskExtents;
    DISK_EXTENT Extents[1];
} VOLUME_DISK_EXTENTS;

// ---- Volumes ------------------------------------------------------------------
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

STRATA_SIM_API HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length);
STRATA_SIM_API BOOL FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length);
STRATA_SIM_API BOOL FindVolumeClose(HANDLE search);
STRATA_SIM_API HANDLE FindFirstVolumeMountPointA(LPCSTR rootPath, LPSTR mountPoint, DWORD length);
STRATA_SIM_API BOOL FindNextVolumeMountPointA(HANDLE search, LPSTR mountPoint, DWORD length);
STRATA_SIM_API BOOL FindVolumeMountPointClose(HANDLE search);
STRATA_SIM_API BOOL GetVolumeNameForVolumeMountPointA(LPCSTR mountPoint, LPSTR volumeName,
                                                      DWORD length);
STRATA_SIM_API BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPSTR pathNames, DWORD length,
                                                     PDWORD returnLength);
STRATA_SIM_API DWORD GetLogicalDriveStringsA(DWORD length, LPSTR buffer);
STRATA_SIM_API UINT GetDriveTypeA(LPCSTR rootPath);
STRATA_SIM_API BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                                          LPDWORD serialNumber, LPDWORD maxComponentLength,
                                          LPDWORD fileSystemFlags, LPSTR fileSystemName,
                                          DWORD fileSystemNameSize);
STRATA_SIM_API BOOL GetDiskFreeSpaceExA(LPCSTR directory, PULARGE_INTEGER freeBytesAvailable,
                                        PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes);
STRATA_SIM_API BOOL GetVolumePathNameA(LPCSTR fileName, LPSTR volumePath, DWORD length);
STRATA_SIM_API UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
STRATA_SIM_API UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);

// ---- COM disk-quota control ------------------------------------------------
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CLSCTX_INPROC_SERVER 0x1
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define DISKQUOTA_STATE_DISABLED 0x00000000
#define DISKQUOTA_STATE_TRACK 0x00000001
#define DISKQUOTA_STATE_ENFORCE 0x00000002
#define DISKQUOTA_STATE_MASK 0x00000003

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    virtual ~IUnknown() {}
};
typedef IUnknown* LPUNKNOWN;

struct IConnectionPointContainer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(void** enumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, void** point) = 0;
};

// The members the plug-in calls come first in the interface, as on Windows.
struct IDiskQuotaControl : public IConnectionPointContainer {
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR path, BOOL readWrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetQuotaState(DWORD state) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetQuotaState(LPDWORD state) = 0;
};

STRATA_SIM_API HRESULT CoInitialize(LPVOID reserved);
STRATA_SIM_API void CoUninitialize(void);
STRATA_SIM_API HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                        LPVOID* object);

// ---- C run-time raw access ----------------------------------------------------
#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000

STRATA_SIM_API int _open(const char* path, int flags, ...);
STRATA_SIM_API long _lseek(int fd, long offset, int origin);
STRATA_SIM_API __int64 _lseeki64(int fd, __int64 offset, int origin);
STRATA_SIM_API int _read(int fd, void* buffer, unsigned int count);
STRATA_SIM_API int _close(int fd);

#endif  // _WIN32

// Layouts the plug-in reads, pinned to their 64-bit Windows sizes.
static_assert(sizeof(GUID) == 16, "GUID");
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "STORAGE_DEVICE_NUMBER");
static_assert(sizeof(DISK_GEOMETRY) == 24, "DISK_GEOMETRY");
static_assert(sizeof(GET_LENGTH_INFORMATION) == 8, "GET_LENGTH_INFORMATION");
static_assert(sizeof(PARTITION_INFORMATION_EX) == 144, "PARTITION_INFORMATION_EX");
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) == 48,
              "DRIVE_LAYOUT_INFORMATION_EX header");
static_assert(offsetof(GET_MEDIA_TYPES, MediaInfo) == 8, "GET_MEDIA_TYPES header");
static_assert(sizeof(DEVICE_MEDIA_INFO) == 32, "DEVICE_MEDIA_INFO");
static_assert(sizeof(VOLUME_DISK_EXTENTS) == 32, "VOLUME_DISK_EXTENTS with one extent");
static_assert(sizeof(SP_DEVINFO_DATA) == 32, "SP_DEVINFO_DATA");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32, "SP_DEVICE_INTERFACE_DATA");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8, "SP_DEVICE_INTERFACE_DETAIL_DATA_A");

#endif
