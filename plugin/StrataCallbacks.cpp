#include "plugin/StrataCallbacks.h"

#include "collect/HardwareAssociations.h"
#include "collect/HardwareInformation.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMNamespace;
using NTELVA20::TPluginManagerNamespace;
using NTELVA20::TRootObject;

namespace strata_col {

namespace {
const char kPluginName[] = "Strata Information Collector";
const char kPluginVersion[] = "1.0";
const char kPluginSecondaryVersion[] = "1.0";
// Logging is on from registration onwards.
const std::uintptr_t kLoggingOn = 1;
}  // namespace

TStrataCallbacks::TStrataCallbacks() : loggingSwitch(kLoggingOn), log(nullptr), registered(false) {
    {
        boost::shared_ptr<ICIMNamespace> manager = TRootObject::GetPluginManager();
        boost::shared_ptr<TPluginManagerNamespace> pluginManager =
            boost::dynamic_pointer_cast<TPluginManagerNamespace>(manager);
        if (pluginManager) {
            pluginManager->RegisterPlugin(this);
            registered = true;
        }
        pluginManager.reset();
    }
    LogMessage::SetEnabled(loggingSwitch);
    log = LogMessage::Instance();
    if (!registered) {
        log->WriteLevel3(std::string(kPluginName) +
                         ": the host offers no plug-in manager; the plug-in is not registered.");
    }
}

TStrataCallbacks::~TStrataCallbacks() {}

long TStrataCallbacks::GetStatus() { return 0; }

std::string TStrataCallbacks::GetName() { return kPluginName; }

std::string TStrataCallbacks::GetVersion() { return kPluginVersion; }

std::string TStrataCallbacks::GetSecondaryVersion() { return kPluginSecondaryVersion; }

void TStrataCallbacks::Release() { delete this; }

void TStrataCallbacks::Notify1(void*) {}

void TStrataCallbacks::Notify2(void*) {}

void TStrataCallbacks::Query(boost::shared_ptr<ICIMNamespace> nameSpace,
                             const std::vector<boost::shared_ptr<ICIMClass> >& classes) {
    // Both collectors read the disks and their databases before any class is
    // served; they live until the whole list has been answered. Databases
    // that decode from the same bytes are decoded once for both; nothing is
    // kept beyond this query.
    DatabaseCache decoded;
    HardwareInformation information(nameSpace, &decoded);
    HardwareAssociations associations(nameSpace, &decoded);
    for (const boost::shared_ptr<ICIMClass>& listed : classes) {
        boost::shared_ptr<ICIMClass> cimClass = listed;
        if (!cimClass) {
            LogMessage::Instance()->WriteLevel3("An empty class in the query list was skipped.");
            continue;
        }
        if (cimClass->IsAssociation(ContextMap())) {
            associations.Collect(cimClass);
        } else {
            information.Collect(cimClass);
        }
    }
}

}  // namespace strata_col
