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

// The report is written piece by piece, never held whole: a database full of
// records gives hundreds of thousands of instances. The pieces are laid out
// exactly as one dump of the whole object with an indent of 2 would be.
class JsonReportWriter {
public:
    explicit JsonReportWriter(std::ostream& out) : out_(out) {}

    // A value at `depth` levels of nesting, its first line already indented.
    void Value(const nlohmann::ordered_json& value, int depth) {
        // Texts from the system need not be UTF-8; replace what is not.
        const std::string text = value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        const std::string indent(static_cast<std::size_t>(2 * depth), ' ');
        std::size_t from = 0;
        for (std::size_t newline = text.find('\n'); newline != std::string::npos;
             newline = text.find('\n', from)) {
            out_.write(text.data() + from, static_cast<std::streamsize>(newline + 1 - from));
            out_ << indent;
            from = newline + 1;
        }
        out_.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
    }

    // `"key": ` at `depth`, after the comma that separates it from the last.
    void Key(const std::string& key, int depth, bool first) {
        out_ << (first ? "\n" : ",\n") << std::string(static_cast<std::size_t>(2 * depth), ' ');
        Value(nlohmann::ordered_json(key), depth);
        out_ << ": ";
    }

    // An array of `count` elements at `depth`, each written by `element`.
    template <typename Element>
    void Array(std::size_t count, int depth, Element element) {
        if (count == 0) {
            out_ << "[]";
            return;
        }
        out_ << "[";
        for (std::size_t i = 0; i < count; ++i) {
            out_ << (i == 0 ? "\n" : ",\n") << std::string(static_cast<std::size_t>(2 * depth + 2), ' ');
            Value(element(i), depth + 1);
        }
        out_ << "\n" << std::string(static_cast<std::size_t>(2 * depth), ' ') << "]";
    }

private:
    std::ostream& out_;
};

nlohmann::ordered_json PropertiesJson(const InstanceRecord& instance) {
    nlohmann::ordered_json properties = nlohmann::ordered_json::object();
    for (const auto& property : instance.properties) properties[property.first] = ValueJson(property.second);
    return properties;
}

}  // namespace

void WriteJsonReport(std::ostream& out, const HostReport& report) {
    JsonReportWriter writer(out);
    out << "{";
    writer.Key("plugin", 1, true);
    writer.Value({{"name", report.plugin.name},
                  {"version", report.plugin.version},
                  {"secondaryVersion", report.plugin.secondaryVersion},
                  {"status", report.plugin.status}},
                 1);
    writer.Key("system", 1, false);
    writer.Value(report.systemName, 1);
    writer.Key("instances", 1, false);
    if (report.classes.empty()) {
        out << "{}";
    } else {
        out << "{";
        for (std::size_t i = 0; i < report.classes.size(); ++i) {
            const ClassResult& result = report.classes[i];
            ForClass(result.className, [&] {
                writer.Key(result.className, 2, i == 0);
                writer.Array(result.instances.size(), 2,
                             [&result](std::size_t at) { return PropertiesJson(result.instances[at]); });
            });
        }
        out << "\n  }";
    }
    writer.Key("log", 1, false);
    writer.Array(report.log.size(), 1, [&report](std::size_t at) {
        const LogLine& line = report.log[at];
        return nlohmann::ordered_json({{"level", line.level}, {"text", line.text}});
    });
    out << "\n}\n";
}

}  // namespace telva_host
