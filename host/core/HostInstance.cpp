#include "host/core/HostInstance.h"

#include <algorithm>

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

// Orders the set values by their property's index.
bool BeforeIndex(const std::pair<std::size_t, TCIMValue>& set, std::size_t index) { return set.first < index; }

}  // namespace

HostInstance::HostInstance(const ClassDefinition& definition,
                           boost::weak_ptr<HostNamespace> nameSpace)
    : definition_(definition), nameSpace_(nameSpace) {
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
    // A committed instance never changes, nor does its path; it gives back
    // the room its values grew into.
    path_ = std::move(path);
    set_.shrink_to_fit();
    committed_ = true;
}

TCIMReference HostInstance::GetReference(ContextMap) { return Path(); }

const TCIMValue* HostInstance::Find(std::size_t index) const {
    const auto at = std::lower_bound(set_.begin(), set_.end(), index, BeforeIndex);
    return at != set_.end() && at->first == index ? &at->second : nullptr;
}

TCIMReference HostInstance::Path() const {
    if (committed_) return path_;
    std::map<std::string, std::string> keys;
    for (std::size_t i = 0; i < definition_.properties.size(); ++i) {
        const PropertyDefinition& property = definition_.properties[i];
        if (!property.isKey) continue;
        const TCIMValue* value = Find(i);
        if (value == nullptr) {
            throw TTelvaException("key property " + property.name + " of the " + definition_.name +
                                  " instance is not set");
        }
        keys[property.name] = value->ToString();
    }
    return TCIMReference(nameSpaceName_, definition_.name, std::move(keys));
}

boost::shared_ptr<ICIMProperty> HostInstance::GetProperty(const std::string& name, ContextMap) {
    static const TCIMValue kNull;
    for (std::size_t i = 0; i < definition_.properties.size(); ++i) {
        if (definition_.properties[i].name == name) {
            const TCIMValue* value = Find(i);
            return boost::shared_ptr<ICIMProperty>(
                new HostProperty(definition_.properties[i], value != nullptr ? *value : kNull));
        }
    }
    return boost::shared_ptr<ICIMProperty>();
}

void HostInstance::SetProperty(const std::string& name, const TCIMValue& value, ContextMap) {
    if (committed_) {
        throw TTelvaException("property " + name + " of a committed " + definition_.name +
                              " instance cannot change");
    }
    for (std::size_t i = 0; i < definition_.properties.size(); ++i) {
        if (definition_.properties[i].name == name) {
            CheckValue(definition_.properties[i], value);
            auto at = std::lower_bound(set_.begin(), set_.end(), i, BeforeIndex);
            const bool present = at != set_.end() && at->first == i;
            if (value.IsNull()) {
                if (present) set_.erase(at);
            } else if (present) {
                at->second = value;
            } else {
                set_.emplace(at, i, value);
            }
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
    for (const auto& set : set_) {
        if (definition_.properties[set.first].name == name) return set.second;
    }
    return kNull;
}

std::vector<std::pair<std::string, TCIMValue> > HostInstance::SetValues() const {
    std::vector<std::pair<std::string, TCIMValue> > set;
    set.reserve(set_.size());
    for (const auto& value : set_) set.emplace_back(definition_.properties[value.first].name, value.second);
    return set;
}

HostProperty::HostProperty(const PropertyDefinition& definition, const TCIMValue& value)
    : definition_(definition), value_(value) {}

HostProperty::~HostProperty() {}

TCIMValue::TCIMType HostProperty::GetType(ContextMap) { return definition_.type; }

bool HostProperty::IsArray(ContextMap) { return definition_.isArray; }

const TCIMValue& HostProperty::GetValue(ContextMap) { return value_; }

}  // namespace telva_host
