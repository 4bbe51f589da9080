#include "host/core/HostNamespace.h"

#include "host/core/HostClass.h"

namespace telva_host {

boost::shared_ptr<HostNamespace> HostNamespace::Create(const std::string& name,
                                                       const Schema& schema) {
    return boost::shared_ptr<HostNamespace>(new HostNamespace(name, schema));
}

HostNamespace::HostNamespace(const std::string& name, const Schema& schema)
    : name_(name), schema_(schema), repository_(schema) {}

HostNamespace::~HostNamespace() {}

boost::shared_ptr<NTELVA20::ICIMClass> HostNamespace::GetClass(const std::string& className,
                                                               NTELVA20::ContextMap) {
    auto cached = classes_.find(className);
    if (cached != classes_.end()) return cached->second;
    const ClassDefinition* definition = schema_.FindClass(className);
    if (definition == nullptr) {
        throw NTELVA20::TTelvaException("namespace " + name_ + " has no class " + className);
    }
    boost::shared_ptr<NTELVA20::ICIMClass> cimClass(new HostClass(*definition, shared_from_this()));
    classes_[className] = cimClass;
    return cimClass;
}

}  // namespace telva_host
