// The host's root objects as the plug-in reaches them: the plug-in manager
// namespace it registers with, and the core logger.
#include "host/CoreLogger.h"
#include "host/PluginRegistry.h"

namespace NTELVA20 {

TPluginManagerProvider::TPluginManagerProvider(IPluginCallbacks* callbacks) : callbacks_(callbacks) {}
TPluginManagerProvider::~TPluginManagerProvider() {}

TPluginManagerNamespace::TPluginManagerNamespace() {}
TPluginManagerNamespace::~TPluginManagerNamespace() {}

boost::shared_ptr<ICIMClass> TPluginManagerNamespace::GetClass(const std::string& className,
                                                               ContextMap) {
    throw TTelvaException("the plug-in manager namespace has no class " + className);
}

TPluginManagerProvider* TPluginManagerNamespace::RegisterPlugin(IPluginCallbacks* callbacks) {
    if (callbacks == nullptr) throw TTelvaException("RegisterPlugin without a callback object");
    return telva_host::PluginRegistry::Instance().Add(callbacks);
}

namespace {
bool g_managerOffered = true;
}

boost::shared_ptr<ICIMNamespace> TRootObject::GetPluginManager() {
    static boost::shared_ptr<ICIMNamespace>* manager =
        new boost::shared_ptr<ICIMNamespace>(new TPluginManagerNamespace());
    return g_managerOffered ? *manager : boost::shared_ptr<ICIMNamespace>();
}

ILogger* TRootObject::GetCoreLogger() { return &telva_host::CoreLogger::Instance(); }

}  // namespace NTELVA20

namespace telva_host {

void OfferPluginManager(bool offered) { NTELVA20::g_managerOffered = offered; }

}  // namespace telva_host
