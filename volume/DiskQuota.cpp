// Disk-quota state of a volume, through the system's quota control object.
#include "volume/StorageVolEnum.h"

#include "collect/TextConversions.h"
#include "platform/DiskQuotaIds.h"
#include "platform/win32.h"

#include <vector>

namespace strata_col {

namespace {

using disk_quota_ids::kDiskQuotaControlClass;
using disk_quota_ids::kDiskQuotaControlInterface;

// The quota control object serves drive roots only.
const std::size_t kMaxRootLength = 3;

DWORD QueryQuotaState(const WCHAR* root) {
    DWORD state = 0;
    IDiskQuotaControl* control = nullptr;
    const HRESULT created =
        CoCreateInstance(kDiskQuotaControlClass, nullptr, CLSCTX_INPROC_SERVER,
                         kDiskQuotaControlInterface, reinterpret_cast<LPVOID*>(&control));
    if (created != S_OK || control == nullptr) return 0;
    // Reading the state needs read access only; a caller without write rights
    // on the volume is refused a read/write control object.
    if (control->Initialize(root, FALSE) == S_OK && control->GetQuotaState(&state) != S_OK) {
        state = 0;
    }
    control->Release();
    return state;
}

}  // namespace

// Drive roots are served as themselves; a mount folder through the GUID path
// of the volume mounted there. Other paths get no quota entry.
PropertyMap StorageVolEnum::GetQuotaStatus(const std::string& volumePath, const VolumeAddress& address) {
    PropertyMap quota;
    const std::string& served = address.throughVolumeName ? address.rootPath : volumePath;
    if (!address.throughVolumeName && volumePath.size() > kMaxRootLength) return quota;

    std::vector<WCHAR> root;
    for (const char c : served) root.push_back(static_cast<WCHAR>(static_cast<unsigned char>(c)));
    root.push_back(0);

    const HRESULT initialized = CoInitialize(nullptr);
    const DWORD state = QueryQuotaState(root.data());
    if (SUCCEEDED(initialized)) CoUninitialize();

    quota.insert(std::make_pair(
        std::string("DiskQuotaStatus"),
        ToDecimalText(static_cast<std::uint32_t>(state & DISKQUOTA_STATE_MASK))));
    return quota;
}

}  // namespace strata_col
