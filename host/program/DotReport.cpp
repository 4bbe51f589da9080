// The storage topology as a Graphviz graph, left to right: drives, their
// partitions, dynamic extents, logical disks; each disk group a box around
// its drives, partitions and extents. `dot -Tsvg` draws it.
#include "host/program/HostReport.h"

#include "host/program/TopologyGraph.h"

#include <algorithm>
#include <set>

namespace telva_host {

namespace {

const char kRoot[] = "layout:root";

struct Look {
    const char* shape;
    const char* fill;
    const char* border;
};

Look NodeLook(const TopologyNode& node) {
    switch (node.kind) {
    case NodeKind::kDrive:
        return node.dynamic ? Look{"cylinder", "#d6e6f7", "#2e6da4"} : Look{"cylinder", "#e6e9ee", "#56657a"};
    case NodeKind::kPartition:
        return node.dynamic ? Look{"box", "#eef5fc", "#2e6da4"} : Look{"box", "#ffffff", "#7f8c9b"};
    case NodeKind::kExtent: return Look{"hexagon", "#fff3cf", "#b38600"};
    case NodeKind::kLogicalDisk: return Look{"folder", "#e3f4e8", "#2e8b57"};
    case NodeKind::kGroup: break;
    }
    return Look{"box3d", "#f4f8fd", "#2e6da4"};
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Html(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string Label(const TopologyNode& node) {
    std::string label = "<<B>" + Html(node.title) + "</B>";
    for (const std::string& line : node.details) {
        label += "<BR/><FONT POINT-SIZE=\"9\">" + Html(line) + "</FONT>";
    }
    return label + ">";
}

void WriteNode(std::ostream& out, const TopologyNode& node, const char* indent) {
    const Look look = NodeLook(node);
    out << indent << Quoted(node.id) << " [shape=" << look.shape << ", label=" << Label(node)
        << ", tooltip=" << Quoted(node.key) << ", fillcolor=\"" << look.fill << "\", color=\""
        << look.border << "\"";
    if (node.empty) out << ", style=\"filled,dashed\", fontcolor=\"#6b7785\"";
    out << "];\n";
}

const char* EdgeStyle(EdgeKind kind) {
    switch (kind) {
    case EdgeKind::kHolds: return "color=\"#7f8c9b\"";
    case EdgeKind::kContains: return "color=\"#7f8c9b\", style=dashed, arrowhead=odiamond";
    case EdgeKind::kCarries: return "color=\"#2e8b57\"";
    case EdgeKind::kBuilds: return "color=\"#2e6da4\"";
    case EdgeKind::kPresents: return "color=\"#2e6da4\", penwidth=1.6";
    case EdgeKind::kMediaPresent: return "color=\"#7f8c9b\", style=dashed";
    case EdgeKind::kFolder:
        return "color=\"#2e8b57\", style=dashed, label=\"folder\", fontsize=9, fontcolor=\"#2e8b57\"";
    case EdgeKind::kPlacement: return "color=\"#b0b8c2\", style=dotted, arrowhead=none";
    }
    return "";
}

bool HasEdges(const TopologyGraph& graph, const std::string& id) {
    for (const TopologyEdge& edge : graph.edges) {
        if (edge.from == id || edge.to == id) return true;
    }
    return false;
}

// Writes the nodes: each drive framed with its partitions, each disk group
// around its drives and extents, the items no association reaches in a
// frame of their own. An invisible root ties every drive and those items
// into one layout, so that the drives stand top to bottom in report order.
class DotNodes {
public:
    DotNodes(std::ostream& out, const TopologyGraph& graph) : out_(out), graph_(graph) {}

    void Write() {
        out_ << "  " << Quoted(kRoot) << " [shape=point, style=invis, width=0];\n";
        std::set<std::string> drawnGroups;
        for (const TopologyNode& node : graph_.nodes) {
            if (!node.drive.empty()) continue;  // drawn with its drive
            if (!node.group.empty()) {
                if (drawnGroups.insert(node.group).second) WriteGroup(node.group);
            } else if (node.kind == NodeKind::kDrive) {
                WriteDrive(node, "  ");
            } else if (node.kind == NodeKind::kGroup && drawnGroups.count(node.id) == 0 && IsEmptyGroup(node.id)) {
                unattached_.push_back(&node);
            } else if (node.kind != NodeKind::kGroup && !HasEdges(graph_, node.id)) {
                unattached_.push_back(&node);
            } else if (node.kind != NodeKind::kGroup) {
                WriteNode(out_, node, "  ");
            }
        }
        WriteUnattached();
        for (const TopologyNode& node : graph_.nodes) {
            if (node.kind == NodeKind::kDrive) {
                out_ << "  " << Quoted(kRoot) << " -> " << Quoted(node.id) << " [style=invis];\n";
            }
        }
        for (const TopologyNode* node : unattached_) {
            out_ << "  " << Quoted(kRoot) << " -> " << Quoted(node->id) << " [style=invis, minlen="
                 << (node->kind == NodeKind::kLogicalDisk ? 3 : 1) << "];\n";
        }
    }

private:
    bool IsEmptyGroup(const std::string& group) const {
        for (const TopologyNode& node : graph_.nodes) {
            if (node.group == group) return false;
        }
        return true;
    }

    void WriteDrive(const TopologyNode& drive, const std::string& indent) {
        out_ << indent << "subgraph " << Quoted("cluster_" + drive.id) << " {\n"
             << indent << "  graph [label=\"\", style=rounded, color=\"#c9d1da\"];\n";
        WriteNode(out_, drive, (indent + "  ").c_str());
        // Partitions top down in disk order: dot stacks the nodes of a
        // left-to-right rank bottom up in the order they are declared.
        std::vector<const TopologyNode*> partitions;
        for (const TopologyNode& node : graph_.nodes) {
            if (node.drive == drive.id) partitions.push_back(&node);
        }
        std::stable_sort(partitions.begin(), partitions.end(),
                         [](const TopologyNode* a, const TopologyNode* b) { return a->start > b->start; });
        for (const TopologyNode* node : partitions) WriteNode(out_, *node, (indent + "  ").c_str());
        out_ << indent << "}\n";
    }

    void WriteGroup(const std::string& group) {
        out_ << "  subgraph " << Quoted("cluster_" + group) << " {\n"
             << "    graph [label=<<B>dynamic disk group " << Html(graph_.groupNames.at(group))
             << "</B>>, fontsize=12, style=\"rounded,filled\", fillcolor=\"#f4f8fd\", color=\"#2e6da4\"];\n";
        for (const TopologyNode& node : graph_.nodes) {
            if (node.group != group || !node.drive.empty()) continue;
            if (node.kind == NodeKind::kDrive) {
                WriteDrive(node, "    ");
            } else {
                WriteNode(out_, node, "    ");
            }
        }
        out_ << "  }\n";
    }

    void WriteUnattached() {
        if (unattached_.empty()) return;
        out_ << "  subgraph \"cluster_unattached\" {\n"
             << "    graph [label=<<B>not associated with any drive</B>>, fontsize=12, style=\"rounded,dashed\","
                " color=\"#7f8c9b\"];\n";
        for (const TopologyNode* node : unattached_) WriteNode(out_, *node, "    ");
        out_ << "  }\n";
    }

    std::ostream& out_;
    const TopologyGraph& graph_;
    std::vector<const TopologyNode*> unattached_;
};

}  // namespace

void WriteDotReport(std::ostream& out, const HostReport& report) {
    const TopologyGraph graph = BuildTopology(report);
    out << "// Storage topology of " << report.systemName << ", drawn with: dot -Tsvg\n";
    out << "digraph storage {\n"
        << "  graph [rankdir=LR, fontname=\"Helvetica\", labelloc=t, nodesep=0.12, ranksep=0.45,\n"
        << "         label=<<FONT POINT-SIZE=\"16\">Storage of " << Html(report.systemName)
        << "</FONT><BR/><FONT POINT-SIZE=\"10\" COLOR=\"#56657a\">drive \u2192 partition \u2192 logical disk;"
           " on dynamic disks: partition \u2192 dynamic extent \u2192 logical disk<BR/>"
           "dashed outline: no medium; dotted line: named after the drive, no association</FONT>>];\n"
        << "  node [fontname=\"Helvetica\", fontsize=11, style=filled, margin=\"0.12,0.04\"];\n"
        << "  edge [arrowsize=0.6];\n";
    DotNodes(out, graph).Write();
    for (const TopologyEdge& edge : graph.edges) {
        out << "  " << Quoted(edge.from) << " -> " << Quoted(edge.to) << " [" << EdgeStyle(edge.kind) << "];\n";
    }
    out << "}\n";
}

}  // namespace telva_host
