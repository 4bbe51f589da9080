#include "host/PluginRegistry.h"

namespace telva_host {

PluginRegistry& PluginRegistry::Instance() {
    // Never destroyed, so the callback objects stay reachable until exit.
    static PluginRegistry* registry = new PluginRegistry();
    return *registry;
}

NTELVA20::TPluginManagerProvider* PluginRegistry::Add(NTELVA20::IPluginCallbacks* callbacks) {
    std::lock_guard<std::mutex> lock(mutex_);
    providers_.emplace_back(new NTELVA20::TPluginManagerProvider(callbacks));
    return providers_.back().get();
}

std::vector<NTELVA20::IPluginCallbacks*> PluginRegistry::Callbacks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<NTELVA20::IPluginCallbacks*> callbacks;
    for (const auto& provider : providers_) callbacks.push_back(provider->GetCallbacks());
    return callbacks;
}

std::size_t PluginRegistry::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return providers_.size();
}

void PluginRegistry::ReleaseAll() {
    std::vector<std::unique_ptr<NTELVA20::TPluginManagerProvider> > released;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released.swap(providers_);
    }
    for (const auto& provider : released) provider->GetCallbacks()->Release();
}

NTELVA20::IPluginBasicQueryCallbacks* QuerySide(NTELVA20::IPluginCallbacks* callbacks) {
    return dynamic_cast<NTELVA20::IPluginBasicQueryCallbacks*>(callbacks);
}

}  // namespace telva_host
