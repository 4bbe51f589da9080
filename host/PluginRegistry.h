// The callback objects that plug-ins registered with the plug-in manager,
// process-wide and in registration order.
#ifndef STRATA_HOST_PLUGINREGISTRY_H
#define STRATA_HOST_PLUGINREGISTRY_H

#include "host/HostApi.h"

#include <memory>
#include <mutex>
#include <vector>

namespace telva_host {

class TELVA_HOST_API PluginRegistry {
public:
    static PluginRegistry& Instance();

    // Keeps the callback object; the host owns it from now on.
    NTELVA20::TPluginManagerProvider* Add(NTELVA20::IPluginCallbacks* callbacks);
    std::vector<NTELVA20::IPluginCallbacks*> Callbacks() const;
    std::size_t Count() const;
    // Hands every callback object back through its Release and forgets it.
    void ReleaseAll();

private:
    PluginRegistry() = default;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<NTELVA20::TPluginManagerProvider> > providers_;
};

// Whether TRootObject::GetPluginManager offers the plug-in manager (it does
// unless a test plays a host without one).
TELVA_HOST_API void OfferPluginManager(bool offered);

// The query side of a registered callback object (null if it has none).
TELVA_HOST_API NTELVA20::IPluginBasicQueryCallbacks* QuerySide(NTELVA20::IPluginCallbacks* callbacks);

}  // namespace telva_host

#endif
