// A CIM namespace of the stand-in host: its classes (from a schema) and the
// repository of committed instances.
#ifndef STRATA_HOST_CORE_HOSTNAMESPACE_H
#define STRATA_HOST_CORE_HOSTNAMESPACE_H

#include "host/core/Repository.h"

#include <boost/enable_shared_from_this.hpp>

namespace telva_host {

class TELVA_HOST_API HostNamespace : public NTELVA20::ICIMNamespace,
                                     public boost::enable_shared_from_this<HostNamespace> {
public:
    static boost::shared_ptr<HostNamespace> Create(const std::string& name, const Schema& schema);
    ~HostNamespace() override;

    // Throws TTelvaException for a class the schema does not define.
    boost::shared_ptr<NTELVA20::ICIMClass> GetClass(const std::string& className,
                                                    NTELVA20::ContextMap context) override;

    const std::string& Name() const { return name_; }
    const Schema& GetSchema() const { return schema_; }
    Repository& Instances() { return repository_; }
    const Repository& Instances() const { return repository_; }

private:
    HostNamespace(const std::string& name, const Schema& schema);

    std::string name_;
    const Schema& schema_;
    Repository repository_;
    std::map<std::string, boost::shared_ptr<NTELVA20::ICIMClass> > classes_;
};

}  // namespace telva_host

#endif
