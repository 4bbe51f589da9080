// Host failures and the out-of-line destructors that anchor the interfaces'
// type information in telvacore, so that plug-in and host share it.
#include "plugin/telva.h"

namespace NTELVA20 {

TTelvaException::TTelvaException(const std::string& message) : message_(message) {}
TTelvaException::~TTelvaException() noexcept {}
const char* TTelvaException::what() const noexcept { return message_.c_str(); }

ICIMProperty::~ICIMProperty() {}
ICIMInstance::~ICIMInstance() {}
ICIMClass::~ICIMClass() {}
ICIMNamespace::~ICIMNamespace() {}
ILogger::~ILogger() {}
IPluginCallbacks::~IPluginCallbacks() {}
IPluginBasicQueryCallbacks::~IPluginBasicQueryCallbacks() {}

}  // namespace NTELVA20
