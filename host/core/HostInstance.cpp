#include "host/core/HostInstance.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMProperty;
using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;

namespace telva_host {

namespace {

std::string TypeText(const TCIMValue& value) {
    return value.GetType().ToString() + (value.IsArray() ? "[]" : "");
}

std::string TypeText(const PropertyDefinition& property) {
    if (!property.referenceClass.empty()) return property.referenceClass + " ref";
    return property.type.ToString() + (property.isArray ? "[]" : "");
}

}  // namespace

HostInstance::HostInstance(const ClassDefinition& definition,
                           boost::weak_ptr<HostNamespace> nameSpace)
    : definition_(definition), nameSpace_(nameSpace), values_(definition.properties.size()) {
    boost::shared_ptr<HostNamespace> owner = nameSpace.lock();
    if (owner) nameSpaceName_ = owner->Name();
}

HostInstance::~HostInstance() {}

void HostInstance::Commit(ContextMap) {
    if (committed_) throw TTelvaException("the " + definition_.name + " instance is already committed");
    boost::shared_ptr<HostNamespace> nameSpace = nameSpace_.lock();
    if (!nameSpace) throw TTelvaException("the namespace of the " + definition_.name + " instance is gone");
    TCIMReference path = Path();
    nameSpace->Instances().Store(shared_from_this(), path);
    // A committed instance never changes, nor does its path.
    path_ = std::move(path);
    committed_ = true;
}

TCIMReference HostInstance::GetReference(ContextMap) { return Path(); }

TCIMReference HostInstance::Path() const {
    if (committed_) return path_;
    std::map<std::string, std::string> keys;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const PropertyDefinition& property = definition_.properties[i];
        if (!property.isKey) continue;
        if (values_[i].IsNull()) {
            throw TTelvaException("key property " + property.name + " of the " + definition_.name +
                                  " instance is not set");
        }
        keys[property.name] = values_[i].ToString();
    }
    return TCIMReference(nameSpaceName_, definition_.name, std::move(keys));
}

boost::shared_ptr<ICIMProperty> HostInstance::GetProperty(const std::string& name, ContextMap) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (definition_.properties[i].name == name) {
            return boost::shared_ptr<ICIMProperty>(new HostProperty(definition_.properties[i], values_[i]));
        }
    }
    return boost::shared_ptr<ICIMProperty>();
}

void HostInstance::SetProperty(const std::string& name, const TCIMValue& value, ContextMap) {
    if (committed_) {
        throw TTelvaException("property " + name + " of a committed " + definition_.name +
                              " instance cannot change");
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (definition_.properties[i].name == name) {
            CheckValue(definition_.properties[i], value);
            values_[i] = value;
            return;
        }
    }
    throw TTelvaException("class " + definition_.name + " has no property " + name);
}

void HostInstance::CheckValue(const PropertyDefinition& property, const TCIMValue& value) const {
    if (value.IsNull()) return;
    if (value.GetType() != property.type || value.IsArray() != property.isArray) {
        throw TTelvaException("property " + property.name + " of class " + definition_.name + " is " +
                              TypeText(property) + ", not " + TypeText(value));
    }
    if (property.referenceClass.empty()) return;
    const std::string& target = value.GetReference().GetClassName();
    boost::shared_ptr<HostNamespace> nameSpace = nameSpace_.lock();
    if (!nameSpace || !nameSpace->GetSchema().IsSubclassOf(target, property.referenceClass)) {
        throw TTelvaException("property " + property.name + " of class " + definition_.name +
                              " refers to " + property.referenceClass + ", not to " + target);
    }
}

const TCIMValue& HostInstance::Value(const std::string& name) const {
    static const TCIMValue kNull;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (definition_.properties[i].name == name) return values_[i];
    }
    return kNull;
}

std::vector<std::pair<std::string, TCIMValue> > HostInstance::SetValues() const {
    std::vector<std::pair<std::string, TCIMValue> > set;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (!values_[i].IsNull()) set.emplace_back(definition_.properties[i].name, values_[i]);
    }
    return set;
}

HostProperty::HostProperty(const PropertyDefinition& definition, const TCIMValue& value)
    : definition_(definition), value_(value) {}

HostProperty::~HostProperty() {}

TCIMValue::TCIMType HostProperty::GetType(ContextMap) { return definition_.type; }

bool HostProperty::IsArray(ContextMap) { return definition_.isArray; }

const TCIMValue& HostProperty::GetValue(ContextMap) { return value_; }

}  // namespace telva_host
