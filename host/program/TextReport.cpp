// Readable tables: one per class, one row per instance; associations as
// pairs of the instances they join.
#include "host/program/HostReport.h"

#include <algorithm>
#include <set>

namespace telva_host {

namespace {

// The same for every instance and shown once in the header.
bool IsSystemKey(const std::string& name) {
    return name == "SystemCreationClassName" || name == "SystemName" || name == "CreationClassName";
}

// A referenced instance by its identifying key.
std::string ReferenceLabel(const NTELVA20::TCIMValue& value) {
    if (value.IsNull() || value.GetType().GetKind() != NTELVA20::TCIMValue::TCIMType::kReference) {
        return value.IsNull() ? "(none)" : value.ToString();
    }
    const auto& keys = value.GetReference().GetKeys();
    for (const char* key : {"DeviceID", "CollectionID"}) {
        auto found = keys.find(key);
        if (found != keys.end()) return found->second;
    }
    return value.ToString();
}

void WriteAssociations(std::ostream& out, const ClassResult& result) {
    for (const InstanceRecord& instance : result.instances) {
        std::vector<std::string> labels;
        for (const auto& property : instance.properties) labels.push_back(ReferenceLabel(property.second));
        out << "  ";
        for (std::size_t i = 0; i < labels.size(); ++i) out << (i != 0 ? " \u2192 " : "") << labels[i];
        out << "\n";
    }
}

void WriteTable(std::ostream& out, const ClassResult& result) {
    // Columns: every property set in some instance, in schema order.
    std::vector<std::string> columns;
    for (const InstanceRecord& instance : result.instances) {
        for (const auto& property : instance.properties) {
            if (IsSystemKey(property.first)) continue;
            if (std::find(columns.begin(), columns.end(), property.first) == columns.end()) {
                columns.push_back(property.first);
            }
        }
    }
    std::vector<std::vector<std::string> > rows(1, columns);
    for (const InstanceRecord& instance : result.instances) {
        std::vector<std::string> row;
        for (const std::string& column : columns) row.push_back(instance.Text(column));
        rows.push_back(row);
    }
    std::vector<std::size_t> widths(columns.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string line = " ";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            line += " " + rows[r][i];
            if (i + 1 < columns.size()) line += std::string(widths[i] - rows[r][i].size() + 1, ' ');
        }
        out << line << "\n";
        if (r == 0) {
            std::string rule = " ";
            for (std::size_t i = 0; i < columns.size(); ++i) rule += " " + std::string(widths[i], '-') + " ";
            while (!rule.empty() && rule.back() == ' ') rule.pop_back();
            out << rule << "\n";
        }
    }
}

}  // namespace

void WriteTextReport(std::ostream& out, const HostReport& report) {
    out << report.plugin.name << " " << report.plugin.version << " (" << report.plugin.secondaryVersion
        << "), status " << report.plugin.status << "\n";
    out << "System: " << report.systemName << "\n";
    for (const ClassResult& result : report.classes) {
        out << "\n" << result.className << "\n";
        if (!result.instances.empty()) {
            if (result.isAssociation) {
                WriteAssociations(out, result);
            } else {
                WriteTable(out, result);
            }
        }
        const std::size_t count = result.instances.size();
        out << "  " << count << (count == 1 ? " instance" : " instances") << "\n";
    }
}

}  // namespace telva_host
