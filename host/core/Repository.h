// The committed instances of one namespace, in commit order, with the set of
// their object paths so that a second instance of a path is refused.
#ifndef STRATA_HOST_CORE_REPOSITORY_H
#define STRATA_HOST_CORE_REPOSITORY_H

#include "host/core/Schema.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace telva_host {

class HostInstance;

class TELVA_HOST_API Repository {
public:
    explicit Repository(const Schema& schema);

    // Stores the instance under its object path; throws TTelvaException
    // when an instance of the same path is stored.
    void Store(const boost::shared_ptr<HostInstance>& instance, const NTELVA20::TCIMReference& path);
    // Instances of the class (and with deep of its subclasses) in commit order.
    std::vector<boost::shared_ptr<HostInstance> > Instances(const std::string& className,
                                                            bool deep) const;
    // The same, taken out of the repository (their paths become free).
    std::vector<boost::shared_ptr<HostInstance> > Take(const std::string& className, bool deep);
    std::size_t Count() const { return committed_.size(); }

private:
    std::vector<const ClassDefinition*> Wanted(const std::string& className, bool deep) const;

    const Schema& schema_;
    std::vector<boost::shared_ptr<HostInstance> > committed_;
    struct PathHash {
        std::size_t operator()(const NTELVA20::TCIMReference& path) const {
            return std::hash<std::string>()(path.ToString());
        }
    };
    std::unordered_set<NTELVA20::TCIMReference, PathHash> paths_;
};

}  // namespace telva_host

#endif
