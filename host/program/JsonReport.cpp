// The report as one JSON object: plugin, system, instances (class to list
// of property objects, typed values) and log.
#include "host/program/HostReport.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

namespace telva_host {

namespace {

typedef NTELVA20::TCIMValue::TCIMType TCIMType;

nlohmann::ordered_json ScalarJson(const NTELVA20::TCIMValue& value) {
    const std::string text = value.ToString();
    switch (value.GetType().GetKind()) {
    case TCIMType::kBoolean:
        return text == "true";
    case TCIMType::kUint8:
    case TCIMType::kUint16:
    case TCIMType::kUint32:
    case TCIMType::kUint64:
        return std::strtoull(text.c_str(), nullptr, 10);
    case TCIMType::kSint8:
    case TCIMType::kSint16:
    case TCIMType::kSint32:
    case TCIMType::kSint64:
        return std::strtoll(text.c_str(), nullptr, 10);
    case TCIMType::kReal32:
    case TCIMType::kReal64:
        return std::strtod(text.c_str(), nullptr);
    default:
        return text;  // strings, datetimes and references (object paths)
    }
}

nlohmann::ordered_json ValueJson(const NTELVA20::TCIMValue& value) {
    if (value.IsNull()) return nullptr;
    if (!value.IsArray()) return ScalarJson(value);
    nlohmann::ordered_json elements = nlohmann::ordered_json::array();
    for (const NTELVA20::TCIMValue& element : value.GetElements()) elements.push_back(ScalarJson(element));
    return elements;
}

}  // namespace

void WriteJsonReport(std::ostream& out, const HostReport& report) {
    nlohmann::ordered_json root;
    root["plugin"] = {{"name", report.plugin.name},
                      {"version", report.plugin.version},
                      {"secondaryVersion", report.plugin.secondaryVersion},
                      {"status", report.plugin.status}};
    root["system"] = report.systemName;
    nlohmann::ordered_json instances = nlohmann::ordered_json::object();
    for (const ClassResult& result : report.classes) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const InstanceRecord& instance : result.instances) {
            nlohmann::ordered_json properties = nlohmann::ordered_json::object();
            for (const auto& property : instance.properties) properties[property.first] = ValueJson(property.second);
            list.push_back(properties);
        }
        instances[result.className] = list;
    }
    root["instances"] = instances;
    nlohmann::ordered_json log = nlohmann::ordered_json::array();
    for (const LogLine& line : report.log) log.push_back({{"level", line.level}, {"text", line.text}});
    root["log"] = log;
    // Texts from the system need not be UTF-8; replace what is not.
    out << root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace telva_host
