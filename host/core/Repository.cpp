#include "host/core/Repository.h"

#include "host/core/HostInstance.h"

#include <algorithm>

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

// The classes asked for, found once rather than per instance.
std::vector<const ClassDefinition*> Repository::Wanted(const std::string& className, bool deep) const {
    std::vector<const ClassDefinition*> wanted;
    for (const std::string& name : schema_.ClassNames()) {
        if (name == className || (deep && schema_.IsSubclassOf(name, className))) {
            wanted.push_back(schema_.FindClass(name));
        }
    }
    return wanted;
}

std::vector<boost::shared_ptr<HostInstance> > Repository::Take(const std::string& className, bool deep) {
    const std::vector<const ClassDefinition*> wanted = Wanted(className, deep);
    std::vector<boost::shared_ptr<HostInstance> > taken;
    std::vector<boost::shared_ptr<HostInstance> > kept;
    for (auto& instance : committed_) {
        const bool asked = std::find(wanted.begin(), wanted.end(), &instance->Definition()) != wanted.end();
        if (asked) paths_.erase(instance->Path());
        (asked ? taken : kept).push_back(std::move(instance));
    }
    committed_.swap(kept);
    return taken;
}

std::vector<boost::shared_ptr<HostInstance> > Repository::Instances(const std::string& className,
                                                                    bool deep) const {
    const std::vector<const ClassDefinition*> wanted = Wanted(className, deep);
    std::vector<boost::shared_ptr<HostInstance> > found;
    for (const auto& instance : committed_) {
        const ClassDefinition* definition = &instance->Definition();
        if (std::find(wanted.begin(), wanted.end(), definition) != wanted.end()) found.push_back(instance);
    }
    return found;
}

}  // namespace telva_host
