// Key-property texts of the hosting system and the names of the plug-in context.
#include "host/SystemName.h"

namespace NTELVA20 {

const std::string TCIMSchemaHelper::kContextName = "__PluginContext";
const std::string TCIMSchemaHelper::kPluginNSPName = "root/plugins";

std::string TCIMSchemaHelper::GetSystemCreationClassName(boost::shared_ptr<ICIMNamespace>) {
    return "ORVA_ComputerSystem";
}

std::string TCIMSchemaHelper::GetSystemName(boost::shared_ptr<ICIMNamespace>) {
    return telva_host::SystemName();
}

}  // namespace NTELVA20
