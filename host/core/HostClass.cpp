#include "host/core/HostClass.h"

#include "host/core/HostInstance.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMNamespace;
using NTELVA20::TTelvaException;

namespace telva_host {

HostClass::HostClass(const ClassDefinition& definition, boost::weak_ptr<HostNamespace> nameSpace)
    : definition_(definition), nameSpace_(nameSpace) {}

HostClass::~HostClass() {}

boost::shared_ptr<HostNamespace> HostClass::LockNamespace() const {
    boost::shared_ptr<HostNamespace> nameSpace = nameSpace_.lock();
    if (!nameSpace) throw TTelvaException("the namespace of class " + definition_.name + " is gone");
    return nameSpace;
}

const std::string& HostClass::GetClassName(ContextMap) { return definition_.name; }

boost::shared_ptr<ICIMNamespace> HostClass::GetNamespace(ContextMap) { return LockNamespace(); }

bool HostClass::IsAssociation(ContextMap) { return definition_.isAssociation; }

boost::shared_ptr<ICIMInstance> HostClass::CreateInstance(ContextMap) {
    if (definition_.isAbstract) {
        throw TTelvaException("class " + definition_.name + " is abstract and has no instances of its own");
    }
    return boost::shared_ptr<ICIMInstance>(new HostInstance(definition_, LockNamespace()));
}

void HostClass::EnumerateInstances(NTELVA20::TInstanceCallback callback, int deep, ContextMap) {
    if (!callback) throw TTelvaException("EnumerateInstances of " + definition_.name + " without a callback");
    for (const auto& instance : LockNamespace()->Instances().Instances(definition_.name, deep != 0)) {
        callback(instance);
    }
}

NameOnlyClass::NameOnlyClass(const std::string& name, boost::weak_ptr<HostNamespace> nameSpace)
    : name_(name), nameSpace_(nameSpace) {}

NameOnlyClass::~NameOnlyClass() {}

const std::string& NameOnlyClass::GetClassName(ContextMap) { return name_; }

boost::shared_ptr<ICIMNamespace> NameOnlyClass::GetNamespace(ContextMap) {
    boost::shared_ptr<HostNamespace> nameSpace = nameSpace_.lock();
    if (!nameSpace) throw TTelvaException("the namespace of class " + name_ + " is gone");
    return nameSpace;
}

bool NameOnlyClass::IsAssociation(ContextMap) { return false; }

boost::shared_ptr<ICIMInstance> NameOnlyClass::CreateInstance(ContextMap) {
    return boost::shared_ptr<ICIMInstance>();
}

void NameOnlyClass::EnumerateInstances(NTELVA20::TInstanceCallback, int, ContextMap) {}

}  // namespace telva_host
