// Disk-quota state of a volume, through the system's quota control object.
#include "volume/StorageVolEnum.h"

#include "collect/TextConversions.h"
#include "platform/DiskQuotaIds.h"
#include "platform/win32.h"

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

PropertyMap StorageVolEnum::GetQuotaStatus(const std::string& volumePath) {
    PropertyMap quota;
    if (volumePath.size() > kMaxRootLength) return quota;

    WCHAR root[kMaxRootLength + 1] = {};
    for (std::size_t i = 0; i < volumePath.size(); ++i) {
        root[i] = static_cast<WCHAR>(static_cast<unsigned char>(volumePath[i]));
    }

    const HRESULT initialized = CoInitialize(nullptr);
    const DWORD state = QueryQuotaState(root);
    if (SUCCEEDED(initialized)) CoUninitialize();

    quota.insert(std::make_pair(
        std::string("DiskQuotaStatus"),
        ToDecimalText(static_cast<std::uint32_t>(state & DISKQUOTA_STATE_MASK))));
    return quota;
}

}  // namespace strata_col
