#include "host/core/Schema.h"

#include "host/core/MofParser.h"

using NTELVA20::TTelvaException;

namespace telva_host {

const PropertyDefinition* ClassDefinition::FindProperty(const std::string& propertyName) const {
    for (const PropertyDefinition& property : properties) {
        if (property.name == propertyName) return &property;
    }
    return nullptr;
}

void Schema::AddClass(const ClassDefinition& definition) {
    if (index_.count(definition.name) != 0) {
        throw TTelvaException("class " + definition.name + " is defined twice");
    }
    ClassDefinition full = definition;
    if (!definition.parent.empty()) {
        const ClassDefinition* parent = FindClass(definition.parent);
        if (parent == nullptr) {
            throw TTelvaException("class " + definition.name + " derives from unknown class " +
                                  definition.parent);
        }
        full.isAssociation = full.isAssociation || parent->isAssociation;
        full.properties = parent->properties;
        full.properties.insert(full.properties.end(), definition.properties.begin(),
                               definition.properties.end());
    }
    for (std::size_t i = 0; i < full.properties.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (full.properties[i].name == full.properties[j].name) {
                throw TTelvaException("class " + definition.name + " defines property " +
                                      full.properties[i].name + " twice");
            }
        }
    }
    index_[full.name] = classes_.size();
    classes_.push_back(full);
}

const ClassDefinition* Schema::FindClass(const std::string& className) const {
    auto found = index_.find(className);
    return found == index_.end() ? nullptr : &classes_[found->second];
}

bool Schema::IsSubclassOf(const std::string& className, const std::string& ancestor) const {
    const ClassDefinition* current = FindClass(className);
    while (current != nullptr) {
        if (current->name == ancestor) return true;
        current = current->parent.empty() ? nullptr : FindClass(current->parent);
    }
    return false;
}

std::vector<std::string> Schema::ClassNames() const {
    std::vector<std::string> names;
    for (const ClassDefinition& definition : classes_) names.push_back(definition.name);
    return names;
}

const Schema& Schema::Builtin() {
    static const Schema* builtin = new Schema(ParseMof(EmbeddedSchemaMof()));
    return *builtin;
}

}  // namespace telva_host
