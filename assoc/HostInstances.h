// Reading the instances that the host already holds: the association
// builders join what the information classes committed earlier in the query.
#ifndef STRATA_ASSOC_HOSTINSTANCES_H
#define STRATA_ASSOC_HOSTINSTANCES_H

#include "plugin/telva.h"

#include <map>
#include <string>
#include <vector>

namespace strata_col {

typedef boost::shared_ptr<NTELVA20::ICIMInstance> InstancePtr;
typedef std::vector<InstancePtr> InstanceList;
// Key text to instance; the first instance of a key stays.
typedef std::map<std::string, InstancePtr> InstanceMap;
// Key text to instance; equal keys are all kept, in insertion order.
typedef std::multimap<std::string, InstancePtr> InstanceIndex;

// Every instance of the class and of its subclasses, in the host's order.
// A class the host does not know is logged and gives no instances.
InstanceList ReadInstances(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                           const std::string& className);

// The property's value; a null value when the property is unset or the
// class has no such property.
NTELVA20::TCIMValue ReadPropertyValue(const InstancePtr& instance, const std::string& name);

// The property's value as text; false (and text untouched) when it is null.
bool ReadPropertyText(const InstancePtr& instance, const std::string& name, std::string& text);

// The property's text, or the fallback when it is null.
std::string PropertyTextOr(const InstancePtr& instance, const std::string& name,
                           const std::string& fallback);

NTELVA20::TCIMReference ReferenceOf(const InstancePtr& instance);

// The instances of the class keyed by their DeviceID text; instances
// without DeviceID are left out, and the first instance of a DeviceID stays.
InstanceMap MapInstancesByDeviceID(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
                                   const std::string& className);

}  // namespace strata_col

#endif
