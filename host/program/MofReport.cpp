// The report as MOF instance declarations, references as object paths.
#include "host/program/HostReport.h"

namespace telva_host {

namespace {

typedef NTELVA20::TCIMValue::TCIMType TCIMType;

std::string MofString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default: quoted += c;
        }
    }
    return quoted + "\"";
}

std::string MofScalar(const NTELVA20::TCIMValue& value) {
    switch (value.GetType().GetKind()) {
    case TCIMType::kString:
    case TCIMType::kDateTime:
    case TCIMType::kReference:
        return MofString(value.ToString());
    default:
        return value.ToString();  // numbers and booleans as they are
    }
}

std::string MofValue(const NTELVA20::TCIMValue& value) {
    if (!value.IsArray()) return MofScalar(value);
    std::string list = "{";
    for (std::size_t i = 0; i < value.GetElements().size(); ++i) {
        list += (i != 0 ? ", " : "") + MofScalar(value.GetElements()[i]);
    }
    return list + "}";
}

}  // namespace

void WriteMofReport(std::ostream& out, const HostReport& report) {
    out << "// " << report.plugin.name << " " << report.plugin.version << " on " << report.systemName
        << "\n";
    for (const ClassResult& result : report.classes) {
        ForClass(result.className, [&] {
            for (const InstanceRecord& instance : result.instances) {
                out << "\ninstance of " << instance.className << "\n{\n";
                for (const auto& property : instance.properties) {
                    out << "    " << property.first << " = " << MofValue(property.second) << ";\n";
                }
                out << "};\n";
            }
        });
    }
}

}  // namespace telva_host
