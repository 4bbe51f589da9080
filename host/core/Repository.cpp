#include "host/core/Repository.h"

#include "host/core/HostInstance.h"

namespace telva_host {

Repository::Repository(const Schema& schema) : schema_(schema) {}

void Repository::Store(const boost::shared_ptr<HostInstance>& instance,
                       const NTELVA20::TCIMReference& path) {
    if (!paths_.insert(path).second) {
        throw NTELVA20::TTelvaException("an instance with the path " + path.ToString() +
                                        " already exists");
    }
    committed_.push_back(instance);
}

std::vector<boost::shared_ptr<HostInstance> > Repository::Instances(const std::string& className,
                                                                    bool deep) const {
    std::vector<boost::shared_ptr<HostInstance> > found;
    for (const auto& instance : committed_) {
        const std::string& instanceClass = instance->Definition().name;
        if (instanceClass == className || (deep && schema_.IsSubclassOf(instanceClass, className))) {
            found.push_back(instance);
        }
    }
    return found;
}

}  // namespace telva_host
