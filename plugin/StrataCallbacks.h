// The callback object the plug-in registers with the host.
#ifndef STRATA_PLUGIN_STRATACALLBACKS_H
#define STRATA_PLUGIN_STRATACALLBACKS_H

#include "collect/LogMessage.h"
#include "plugin/telva.h"

#include <cstdint>
#include <string>
#include <vector>

namespace strata_col {

class TStrataCallbacks : public NTELVA20::IPluginCallbacks,
                         public NTELVA20::IPluginBasicQueryCallbacks {
public:
    // Registers the object with the host's plug-in manager.
    TStrataCallbacks();
    ~TStrataCallbacks() override;

    long GetStatus() override;
    std::string GetName() override;
    std::string GetVersion() override;
    std::string GetSecondaryVersion() override;
    void Release() override;
    void Notify1(void* argument) override;
    void Notify2(void* argument) override;

    void Query(boost::shared_ptr<NTELVA20::ICIMNamespace> nameSpace,
               const std::vector<boost::shared_ptr<NTELVA20::ICIMClass> >& classes) override;

    // False when the host offered no plug-in manager to register with; the
    // object is then owned by nobody and the entry point deletes it.
    bool IsRegistered() const { return registered; }

private:
    std::uintptr_t loggingSwitch;
    LogMessage* log;
    bool registered;
};

}  // namespace strata_col

#endif
