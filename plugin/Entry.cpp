// Module entry: registers the plug-in's callback object when loaded.
#include "plugin/StrataCallbacks.h"
#include "platform/win32.h"

#include <new>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    strata_col::TStrataCallbacks* callbacks = new (std::nothrow) strata_col::TStrataCallbacks();
    if (callbacks == nullptr) return FALSE;
    // Without a plug-in manager nobody owns the object; the module still loads.
    if (!callbacks->IsRegistered()) delete callbacks;
    return TRUE;
}

STRATA_MODULE_ENTRY(DllMain)
