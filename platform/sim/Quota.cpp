// COM initialisation and the disk-quota control object.
#include "platform/DiskQuotaIds.h"
#include "platform/sim/Guid.h"
#include "platform/sim/SimState.h"

using namespace strata_sim;

namespace {

using disk_quota_ids::kDiskQuotaControlClass;
using disk_quota_ids::kDiskQuotaControlInterface;
const GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kIidConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A,
                                           {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

const HRESULT kNotImplemented = static_cast<HRESULT>(0x80004001L);
const HRESULT kPointerInvalid = static_cast<HRESULT>(0x80004003L);
const HRESULT kNotInitialized = static_cast<HRESULT>(0x800401F0L);  // CO_E_NOTINITIALIZED
const HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110L);   // CLASS_E_NOAGGREGATION
const HRESULT kChangedMode = static_cast<HRESULT>(0x80010106L);     // RPC_E_CHANGED_MODE
const DWORD kFacilityWin32 = 0x80070000u;

// Win32 codes travel as FACILITY_WIN32 HRESULTs; a value that already has
// the failure bit set is taken as an HRESULT.
HRESULT ToHresult(DWORD error) {
    if (error & 0x80000000u) return static_cast<HRESULT>(static_cast<std::int32_t>(error));
    return static_cast<HRESULT>(static_cast<std::int32_t>(kFacilityWin32 | (error & 0xFFFF)));
}

thread_local int t_comInitialisations = 0;

std::string NarrowPath(LPCWSTR path) {
    std::string narrow;
    for (; path != nullptr && *path != 0; ++path) {
        narrow.push_back(*path < 0x80 ? static_cast<char>(*path) : '?');
    }
    return narrow;
}

class QuotaControl : public IDiskQuotaControl {
public:
    QuotaControl() { ++State().liveQuotaObjects; }
    ~QuotaControl() override { --State().liveQuotaObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return kPointerInvalid;
        *object = nullptr;
        if (!SameGuid(riid, kIidUnknown) && !SameGuid(riid, kDiskQuotaControlInterface) &&
            !SameGuid(riid, kIidConnectionPointContainer)) {
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IDiskQuotaControl*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(void**) override { return kNotImplemented; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, void**) override { return kNotImplemented; }

    HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR path, BOOL readWrite) override {
        SimState& state = State();
        SimCall busy(state);
        if (path == nullptr) return kPointerInvalid;
        if (machine_) return ToHresult(ERROR_ALREADY_INITIALIZED);
        const std::string root = NarrowPath(path);
        const std::optional<std::size_t> volume = state.machine->VolumeMountedAt(root);
        DWORD error = 0;
        if (Injected({"IDiskQuotaControl::Initialize", state.machine->PathNames(root, volume)}, error)) {
            return ToHresult(error);
        }
        if (!volume) return ToHresult(ERROR_PATH_NOT_FOUND);
        const Volume& v = state.machine->Description().volumes[*volume];
        NoteMediaAccess(v.mediaPresent.value_or(true), "IDiskQuotaControl::Initialize", root);
        // Nothing here ever changes a volume; the request is only noted.
        if (readWrite) NoteWriteRequest("IDiskQuotaControl::Initialize", root);
        if (readWrite && !state.machine->Description().quotaWriteAccess) return ToHresult(ERROR_ACCESS_DENIED);
        if (!v.mediaPresent.value_or(true)) return ToHresult(ERROR_NOT_READY);
        if (v.fileSystem.empty()) return ToHresult(ERROR_UNRECOGNIZED_VOLUME);
        machine_ = state.machine;
        volume_ = *volume;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetQuotaState(DWORD) override { return ToHresult(ERROR_ACCESS_DENIED); }
    HRESULT STDMETHODCALLTYPE GetQuotaState(LPDWORD quotaState) override {
        SimState& state = State();
        SimCall busy(state);
        if (quotaState == nullptr) return kPointerInvalid;
        if (!machine_) return E_FAIL;
        DWORD error = 0;
        if (Injected({"IDiskQuotaControl::GetQuotaState", machine_->VolumeNames(volume_)}, error)) {
            return ToHresult(error);
        }
        *quotaState = machine_->Description().volumes[volume_].quotaState;
        return S_OK;
    }

private:
    ULONG references_ = 1;
    MachinePtr machine_;
    std::size_t volume_ = 0;
};

}  // namespace

STRATA_SIM_API HRESULT CoInitialize(LPVOID reserved) {
    (void)reserved;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        DWORD error = 0;
        if (Injected({"CoInitialize", {}}, error)) return ToHresult(error);
        // The thread is in the multithreaded apartment already; this call
        // initialises nothing and needs no CoUninitialize.
        if (State().machine->Description().comMultithreaded) return kChangedMode;
    }
    ++State().comBalance;
    // S_FALSE: already initialised on this thread; it still needs its own CoUninitialize.
    return t_comInitialisations++ == 0 ? S_OK : S_FALSE;
}

STRATA_SIM_API void CoUninitialize(void) {
    --State().comBalance;
    if (t_comInitialisations > 0) --t_comInitialisations;
}

STRATA_SIM_API HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    (void)context;
    if (object == nullptr) return kPointerInvalid;
    *object = nullptr;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        DWORD error = 0;
        if (Injected({"CoCreateInstance", {GuidText(clsid)}}, error)) return ToHresult(error);
    }
    bool multithreaded = false;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        multithreaded = State().machine->Description().comMultithreaded;
    }
    if (t_comInitialisations == 0 && !multithreaded) return kNotInitialized;
    if (!SameGuid(clsid, kDiskQuotaControlClass)) return REGDB_E_CLASSNOTREG;
    if (outer != nullptr) return kNoAggregation;
    QuotaControl* control = new QuotaControl();
    const HRESULT result = control->QueryInterface(iid, object);
    control->Release();  // the interface handed out holds the only reference
    return result;
}
