// The class definitions of a namespace: properties with CIM types, keys,
// inheritance and the association flag.
#ifndef STRATA_HOST_CORE_SCHEMA_H
#define STRATA_HOST_CORE_SCHEMA_H

#include "host/HostApi.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace telva_host {

struct PropertyDefinition {
    std::string name;
    NTELVA20::TCIMValue::TCIMType type;  // the element type for an array
    bool isArray = false;
    bool isKey = false;
    std::string referenceClass;  // for a reference: the class it refers to
};

struct TELVA_HOST_API ClassDefinition {
    std::string name;
    std::string parent;  // empty for a root class
    bool isAssociation = false;
    bool isAbstract = false;
    std::vector<PropertyDefinition> properties;  // inherited ones first

    const PropertyDefinition* FindProperty(const std::string& propertyName) const;
};

class TELVA_HOST_API Schema {
public:
    // Adds a class after its parent, whose properties and association flag it
    // inherits. Throws TTelvaException for a second class of the same name, an
    // unknown parent or a property defined twice.
    void AddClass(const ClassDefinition& definition);

    // Exact, case-sensitive lookup; null when there is no such class.
    const ClassDefinition* FindClass(const std::string& className) const;
    // True when the class is `ancestor` or derives from it.
    bool IsSubclassOf(const std::string& className, const std::string& ancestor) const;
    // Class names in definition order.
    std::vector<std::string> ClassNames() const;

    // The ORVA_ schema compiled into telvacore, parsed on first use.
    static const Schema& Builtin();

private:
    std::deque<ClassDefinition> classes_;  // stable addresses for FindClass
    std::map<std::string, std::size_t> index_;
};

// The MOF text of the built-in schema (generated from host/schema/strata.mof).
const char* EmbeddedSchemaMof();

}  // namespace telva_host

#endif
