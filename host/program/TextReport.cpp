// Readable tables: one per class, one row per instance, the columns a
// person looks for first; associations as "A → B" pairs of the device IDs
// of the instances they join.
#include "host/program/HostReport.h"

#include "host/program/CellText.h"
#include "host/program/ColumnPlan.h"
#include "host/program/TextTable.h"
#include "platform/VisibleText.h"

#include <algorithm>
#include <map>

namespace telva_host {

namespace {

using strata_text::VisibleText;

const char kArrow[] = " \u2192 ";

// A referenced instance by its identifying key.
std::string ReferenceLabel(const NTELVA20::TCIMValue& value) {
    if (value.IsNull()) return "(none)";
    if (!value.IsReference()) return value.ToString();
    const auto& keys = value.GetReference().GetKeys();
    for (const char* key : {"DeviceID", "CollectionID"}) {
        auto found = keys.find(key);
        if (found != keys.end()) return found->second;
    }
    return value.ToString();
}

std::string JoinRoles(const InstanceRecord& instance) {
    std::string roles;
    for (const auto& property : instance.properties) roles += (roles.empty() ? "" : kArrow) + property.first;
    return roles;
}

// Pairs line up at their arrows; when that makes a line wider than the
// page, each pair takes two lines instead.
void WriteAssociations(std::ostream& out, const ClassResult& result, std::size_t width) {
    std::vector<std::vector<std::string> > rows;
    std::size_t firstWidth = 0;
    std::size_t widest = 0;
    for (const InstanceRecord& instance : result.instances) {
        std::vector<std::string> labels;
        for (const auto& property : instance.properties) labels.push_back(VisibleText(ReferenceLabel(property.second)));
        if (labels.empty()) continue;
        firstWidth = std::max(firstWidth, TextTable::DisplayWidth(labels[0]));
        std::size_t rest = 0;
        for (std::size_t i = 1; i < labels.size(); ++i) rest += 3 + TextTable::DisplayWidth(labels[i]);
        widest = std::max(widest, rest);
        rows.push_back(labels);
    }
    const bool aligned = width == 0 || 2 + firstWidth + widest <= width;
    for (const auto& labels : rows) {
        std::string line = "  " + labels[0];
        if (aligned) line += std::string(firstWidth - TextTable::DisplayWidth(labels[0]), ' ');
        for (std::size_t i = 1; i < labels.size(); ++i) {
            line += aligned ? kArrow + labels[i] : "\n   " + std::string(kArrow) + labels[i];
        }
        out << line << "\n";
    }
}

// The logical disk that presents each dynamic extent, by the extent's
// DeviceID (ORVA_DynamicVolumeBasedOnExtent).
std::map<std::string, const InstanceRecord*> PresentingDisks(const HostReport& report) {
    std::map<std::string, const InstanceRecord*> disks;
    std::map<std::string, const InstanceRecord*> logicalDisks;
    for (const ClassResult& result : report.classes) {
        if (result.className != "ORVA_LogicalDisk") continue;
        for (const InstanceRecord& disk : result.instances) {
            if (disk.Find("DeviceID") != nullptr) logicalDisks.emplace(disk.Text("DeviceID"), &disk);
        }
    }
    for (const ClassResult& result : report.classes) {
        if (result.className != "ORVA_DynamicVolumeBasedOnExtent") continue;
        for (const InstanceRecord& pair : result.instances) {
            const NTELVA20::TCIMValue* extent = pair.Find("Antecedent");
            const NTELVA20::TCIMValue* disk = pair.Find("Dependent");
            if (extent == nullptr || disk == nullptr) continue;
            const auto found = logicalDisks.find(ReferenceLabel(*disk));
            if (found != logicalDisks.end()) disks.emplace(ReferenceLabel(*extent), found->second);
        }
    }
    return disks;
}

void WriteInformationTable(std::ostream& out, const ClassResult& result, std::size_t width,
                           const std::map<std::string, const InstanceRecord*>& presenting) {
    const ColumnPlan plan = PlanColumns(result.className, result.instances);
    TextTable table(plan.columns);
    for (const InstanceRecord& instance : result.instances) {
        const auto presented =
            instance.Find("DeviceID") == nullptr ? presenting.end() : presenting.find(instance.Text("DeviceID"));
        std::vector<std::string> cells;
        for (const std::string& column : plan.columns) {
            // Texts from disks may hold control bytes; a terminal shows them escaped.
            cells.push_back(VisibleText(CellText(result.className, column, instance,
                                                 presented == presenting.end() ? nullptr : presented->second)));
        }
        table.AddRow(cells);
    }
    table.Write(out, width);
    for (const std::string& name : plan.sameAsDeviceId) out << "  (" << name << " is the DeviceID)\n";
}

void WriteLogSummary(std::ostream& out, const std::vector<LogLine>& log) {
    std::map<unsigned, std::size_t> perLevel;
    for (const LogLine& line : log) ++perLevel[line.level];
    out << "\nLog: " << log.size() << (log.size() == 1 ? " line" : " lines");
    std::string levels;
    for (const auto& level : perLevel) {
        levels += (levels.empty() ? "" : ", ") + std::to_string(level.second) + " at level " +
                  std::to_string(level.first);
    }
    if (!levels.empty()) out << " (" << levels << "); --log-level N shows them on stderr";
    out << "\n";
}

}  // namespace

void WriteTextReport(std::ostream& out, const HostReport& report, std::size_t width) {
    out << VisibleText(report.plugin.name) << " " << VisibleText(report.plugin.version) << " ("
        << VisibleText(report.plugin.secondaryVersion) << "), status " << report.plugin.status << "\n";
    out << "System: " << VisibleText(report.systemName) << "\n";
    const std::map<std::string, const InstanceRecord*> presenting = PresentingDisks(report);
    for (const ClassResult& result : report.classes) {
        out << "\n" << result.className;
        if (result.isAssociation && !result.instances.empty()) out << ": " << JoinRoles(result.instances[0]);
        out << "\n";
        if (!result.instances.empty()) {
            ForClass(result.className, [&] {
                if (result.isAssociation) {
                    WriteAssociations(out, result, width);
                } else {
                    WriteInformationTable(out, result, width, presenting);
                }
            });
        }
        const std::size_t count = result.instances.size();
        out << "  " << count << (count == 1 ? " instance" : " instances") << "\n";
    }
    WriteLogSummary(out, report.log);
}

}  // namespace telva_host
