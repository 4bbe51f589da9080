// An instance of a schema class: typed property values, committed once into
// its namespace's repository under its object path.
#ifndef STRATA_HOST_CORE_HOSTINSTANCE_H
#define STRATA_HOST_CORE_HOSTINSTANCE_H

#include "host/core/HostNamespace.h"

#include <boost/weak_ptr.hpp>

#include <utility>

namespace telva_host {

class TELVA_HOST_API HostInstance : public NTELVA20::ICIMInstance,
                                    public boost::enable_shared_from_this<HostInstance> {
public:
    HostInstance(const ClassDefinition& definition, boost::weak_ptr<HostNamespace> nameSpace);
    ~HostInstance() override;

    // Refused (TTelvaException): a missing key property, an instance already
    // committed, a path already in the repository.
    void Commit(NTELVA20::ContextMap context) override;
    NTELVA20::TCIMReference GetReference(NTELVA20::ContextMap context) override;
    // An empty pointer for a name the class does not define.
    boost::shared_ptr<NTELVA20::ICIMProperty> GetProperty(const std::string& name,
                                                          NTELVA20::ContextMap context) override;
    // Refused: an unknown name, a value of another type (or array-ness) than
    // the property's, a reference to an instance of an unrelated class, and
    // any change after the commit. A null value unsets the property.
    void SetProperty(const std::string& name, const NTELVA20::TCIMValue& value,
                     NTELVA20::ContextMap context) override;

    const ClassDefinition& Definition() const { return definition_; }
    // The object path; throws TTelvaException when a key property is unset.
    NTELVA20::TCIMReference Path() const;
    // Null for an unset or unknown property.
    const NTELVA20::TCIMValue& Value(const std::string& name) const;
    // The set properties, in schema order.
    std::vector<std::pair<std::string, NTELVA20::TCIMValue> > SetValues() const;
    bool IsCommitted() const { return committed_; }

private:
    void CheckValue(const PropertyDefinition& property, const NTELVA20::TCIMValue& value) const;
    // The value of the property at `index` of the definition; null when unset.
    const NTELVA20::TCIMValue* Find(std::size_t index) const;

    const ClassDefinition& definition_;
    boost::weak_ptr<HostNamespace> nameSpace_;
    std::string nameSpaceName_;
    // Only the set properties, by their index in definition_.properties: a
    // class has dozens of properties and an instance sets a few, and a
    // database full of records makes hundreds of thousands of instances.
    std::vector<std::pair<std::size_t, NTELVA20::TCIMValue> > set_;
    bool committed_ = false;
    NTELVA20::TCIMReference path_;  // once committed
};

class TELVA_HOST_API HostProperty : public NTELVA20::ICIMProperty {
public:
    HostProperty(const PropertyDefinition& definition, const NTELVA20::TCIMValue& value);
    ~HostProperty() override;

    // For an array property, the type of its elements.
    NTELVA20::TCIMValue::TCIMType GetType(NTELVA20::ContextMap context) override;
    bool IsArray(NTELVA20::ContextMap context) override;
    // The value when the property was fetched; null when it was unset.
    const NTELVA20::TCIMValue& GetValue(NTELVA20::ContextMap context) override;

private:
    const PropertyDefinition& definition_;  // the schema's, which outlives every instance
    NTELVA20::TCIMValue value_;
};

}  // namespace telva_host

#endif
