#include "host/HostSession.h"

#include "host/PluginModule.h"
#include "host/PluginRegistry.h"
#include "host/core/HostClass.h"
#include "host/core/HostInstance.h"

#include <stdexcept>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::TCIMValue;

namespace telva_host {

const TCIMValue* InstanceRecord::Find(const std::string& name) const {
    for (const auto& property : properties) {
        if (property.first == name) return &property.second;
    }
    return nullptr;
}

std::string InstanceRecord::Text(const std::string& name) const {
    const TCIMValue* value = Find(name);
    return value != nullptr ? value->ToString() : std::string();
}

HostSession::HostSession(const std::string& nameSpace)
    : nameSpaceName_(nameSpace), nameSpace_(HostNamespace::Create(nameSpace, Schema::Builtin())) {}

HostSession::~HostSession() {}

void HostSession::LoadPlugin(const std::string& path) {
    const LoadedModule module = LoadPluginModule(path);
    if (module.registered.empty()) {
        throw std::runtime_error("plug-in " + path + " registered no callback object");
    }
    registered_ = module.registered;
    plugin_ = registered_.front();
}

void HostSession::UsePlugin(NTELVA20::IPluginCallbacks* plugin) {
    plugin_ = plugin;
    registered_.assign(1, plugin);
}

void HostSession::Query(const std::vector<std::string>& classNames) {
    NTELVA20::IPluginBasicQueryCallbacks* querySide = plugin_ ? QuerySide(plugin_) : nullptr;
    if (querySide == nullptr) throw std::runtime_error("no plug-in that answers queries");
    std::vector<boost::shared_ptr<ICIMClass> > classes;
    for (const std::string& name : classNames) classes.push_back(ClassFor(name));
    querySide->Query(nameSpace_, classes);
}

boost::shared_ptr<NTELVA20::ICIMNamespace> HostSession::Namespace() const { return nameSpace_; }

boost::shared_ptr<ICIMClass> HostSession::ClassFor(const std::string& className) const {
    if (nameSpace_->GetSchema().FindClass(className) == nullptr) {
        return boost::shared_ptr<ICIMClass>(new NameOnlyClass(className, nameSpace_));
    }
    return nameSpace_->GetClass(className, ContextMap());
}

namespace {

InstanceRecord RecordOf(const HostInstance& instance) {
    InstanceRecord record;
    record.className = instance.Definition().name;
    record.path = instance.Path();
    record.properties = instance.SetValues();
    return record;
}

}  // namespace

std::vector<InstanceRecord> HostSession::Instances(const std::string& className, bool deep) const {
    const std::vector<boost::shared_ptr<HostInstance> > instances = nameSpace_->Instances().Instances(className, deep);
    std::vector<InstanceRecord> records;
    records.reserve(instances.size());
    for (const auto& instance : instances) records.push_back(RecordOf(*instance));
    return records;
}

std::vector<InstanceRecord> HostSession::TakeInstances(const std::string& className, bool deep) {
    std::vector<boost::shared_ptr<HostInstance> > instances = nameSpace_->Instances().Take(className, deep);
    std::vector<InstanceRecord> records;
    records.reserve(instances.size());
    // Each instance is let go once its record is made.
    for (auto& instance : instances) {
        records.push_back(RecordOf(*instance));
        instance.reset();
    }
    return records;
}

std::size_t HostSession::InstanceCount() const { return nameSpace_->Instances().Count(); }

std::vector<LogLine> HostSession::LogLines() const { return CoreLogger::Instance().Lines(); }

void HostSession::Reset() {
    nameSpace_ = HostNamespace::Create(nameSpaceName_, Schema::Builtin());
    CoreLogger::Instance().Clear();
}

}  // namespace telva_host
