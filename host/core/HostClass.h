// Class objects handed to the plug-in: one per schema class, and name-only
// classes for names the schema does not know (they answer their name, are no
// associations and hold no instances), so a plug-in can be asked for anything.
#ifndef STRATA_HOST_CORE_HOSTCLASS_H
#define STRATA_HOST_CORE_HOSTCLASS_H

#include "host/core/HostNamespace.h"

#include <boost/weak_ptr.hpp>

namespace telva_host {

class TELVA_HOST_API HostClass : public NTELVA20::ICIMClass {
public:
    HostClass(const ClassDefinition& definition, boost::weak_ptr<HostNamespace> nameSpace);
    ~HostClass() override;

    const std::string& GetClassName(NTELVA20::ContextMap context) override;
    boost::shared_ptr<NTELVA20::ICIMNamespace> GetNamespace(NTELVA20::ContextMap context) override;
    bool IsAssociation(NTELVA20::ContextMap context) override;
    // Throws TTelvaException for an abstract class.
    boost::shared_ptr<NTELVA20::ICIMInstance> CreateInstance(NTELVA20::ContextMap context) override;
    void EnumerateInstances(NTELVA20::TInstanceCallback callback, int deep,
                            NTELVA20::ContextMap context) override;

private:
    boost::shared_ptr<HostNamespace> LockNamespace() const;

    const ClassDefinition& definition_;
    boost::weak_ptr<HostNamespace> nameSpace_;
};

class TELVA_HOST_API NameOnlyClass : public NTELVA20::ICIMClass {
public:
    NameOnlyClass(const std::string& name, boost::weak_ptr<HostNamespace> nameSpace);
    ~NameOnlyClass() override;

    const std::string& GetClassName(NTELVA20::ContextMap context) override;
    boost::shared_ptr<NTELVA20::ICIMNamespace> GetNamespace(NTELVA20::ContextMap context) override;
    bool IsAssociation(NTELVA20::ContextMap context) override;
    // An empty pointer: nothing can be made of an unknown class.
    boost::shared_ptr<NTELVA20::ICIMInstance> CreateInstance(NTELVA20::ContextMap context) override;
    void EnumerateInstances(NTELVA20::TInstanceCallback callback, int deep,
                            NTELVA20::ContextMap context) override;

private:
    std::string name_;
    boost::weak_ptr<HostNamespace> nameSpace_;
};

}  // namespace telva_host

#endif
