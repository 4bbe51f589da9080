#include "assoc/HostInstances.h"

#include "collect/LogMessage.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMNamespace;
using NTELVA20::ICIMProperty;
using NTELVA20::TAddToVectorCallback;
using NTELVA20::TCIMReference;
using NTELVA20::TCIMSchemaHelper;
using NTELVA20::TCIMValue;

namespace strata_col {

namespace {

// Classes of the plug-in's own namespace are asked for with this context.
ContextMap PluginContext() {
    ContextMap context;
    context[TCIMSchemaHelper::kContextName] = TCIMValue(TCIMSchemaHelper::kPluginNSPName);
    return context;
}

const int kDeepEnumeration = 1;

}  // namespace

InstanceList ReadInstances(boost::shared_ptr<ICIMNamespace> nameSpace,
                           const std::string& className) {
    InstanceList instances;
    boost::shared_ptr<ICIMClass> cimClass = nameSpace->GetClass(className, PluginContext());
    if (!cimClass) {
        LogMessage::Instance()->WriteLevel3("Class " + className +
                                            " is not known to the host; no instances read.");
        return instances;
    }
    cimClass->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), kDeepEnumeration,
                                 ContextMap());
    return instances;
}

TCIMValue ReadPropertyValue(const InstancePtr& instance, const std::string& name) {
    boost::shared_ptr<ICIMProperty> property = instance->GetProperty(name, ContextMap());
    if (!property) return TCIMValue();
    return property->GetValue(ContextMap());
}

bool ReadPropertyText(const InstancePtr& instance, const std::string& name, std::string& text) {
    const TCIMValue value = ReadPropertyValue(instance, name);
    if (value.IsNull()) return false;
    text = value.ToString(10);
    return true;
}

std::string PropertyTextOr(const InstancePtr& instance, const std::string& name,
                           const std::string& fallback) {
    std::string text;
    return ReadPropertyText(instance, name, text) ? text : fallback;
}

TCIMReference ReferenceOf(const InstancePtr& instance) {
    return instance->GetReference(ContextMap());
}

InstanceMap MapInstancesByDeviceID(boost::shared_ptr<ICIMNamespace> nameSpace,
                                   const std::string& className) {
    InstanceMap byDeviceId;
    for (const InstancePtr& instance : ReadInstances(nameSpace, className)) {
        std::string deviceId;
        if (ReadPropertyText(instance, "DeviceID", deviceId)) {
            byDeviceId.insert(std::make_pair(deviceId, instance));
        }
    }
    return byDeviceId;
}

}  // namespace strata_col
