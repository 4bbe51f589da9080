// A host session: one namespace, the plug-in that answers it, its queries,
// and what they left in the repository and the log. For tests and the host
// program.
//
//   telva_host::HostSession session;                   // empty "root/strata"
//   session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");  // or UsePlugin(callbacks)
//   session.Query({"ORVA_DiskDrive", "ORVA_MediaPresent", "NoSuchClass"});
//   for (const telva_host::InstanceRecord& drive : session.Instances("ORVA_DiskDrive"))
//       use(drive.Text("DeviceID"), drive.Find("Size"));   // Find: null when unset
//   for (const telva_host::LogLine& line : session.LogLines()) use(line.level, line.text);
//   session.Reset();                                   // empty repository and log
//
// Names the schema does not define are sent as name-only classes (not
// associations, no instances), so the plug-in's own handling of them runs.
// The log is the process-wide core logger: sessions share it.
#ifndef STRATA_HOST_HOSTSESSION_H
#define STRATA_HOST_HOSTSESSION_H

#include "host/CoreLogger.h"

#include <string>
#include <vector>

namespace telva_host {

class HostNamespace;

struct TELVA_HOST_API InstanceRecord {
    std::string className;
    NTELVA20::TCIMReference path;
    // The set properties in schema order.
    std::vector<std::pair<std::string, NTELVA20::TCIMValue> > properties;

    // Null when the property is unset.
    const NTELVA20::TCIMValue* Find(const std::string& name) const;
    // The value's text (arrays joined by ","); empty when unset.
    std::string Text(const std::string& name) const;
};

class TELVA_HOST_API HostSession {
public:
    explicit HostSession(const std::string& nameSpace = "root/strata");
    ~HostSession();

    // Loads the module and answers queries with the first callback object it
    // registered. Throws std::runtime_error when it cannot be loaded or
    // registers nothing.
    void LoadPlugin(const std::string& path);
    // Answers queries with this callback object (not owned).
    void UsePlugin(NTELVA20::IPluginCallbacks* plugin);
    NTELVA20::IPluginCallbacks* Plugin() const { return plugin_; }
    // What the loaded module registered (one object, for a good plug-in).
    const std::vector<NTELVA20::IPluginCallbacks*>& Registered() const { return registered_; }

    // One Query with the named classes in order. Failures the plug-in lets
    // out pass through; std::runtime_error when there is no plug-in to ask.
    void Query(const std::vector<std::string>& classNames);

    boost::shared_ptr<NTELVA20::ICIMNamespace> Namespace() const;
    // The schema class of that name, or a name-only class.
    boost::shared_ptr<NTELVA20::ICIMClass> ClassFor(const std::string& className) const;

    // Committed instances of the class (with deep, of its subclasses too) in
    // commit order.
    std::vector<InstanceRecord> Instances(const std::string& className, bool deep = false) const;
    // The same, moved out of the repository so that each instance is held
    // once: the class's instances are gone from the session afterwards.
    std::vector<InstanceRecord> TakeInstances(const std::string& className, bool deep = false);
    std::size_t InstanceCount() const;
    std::vector<LogLine> LogLines() const;

    // A fresh, empty namespace of the same name, and an empty log.
    void Reset();

private:
    std::string nameSpaceName_;
    boost::shared_ptr<HostNamespace> nameSpace_;
    NTELVA20::IPluginCallbacks* plugin_ = nullptr;
    std::vector<NTELVA20::IPluginCallbacks*> registered_;
};

}  // namespace telva_host

#endif
