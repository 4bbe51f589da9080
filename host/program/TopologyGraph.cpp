#include "host/program/TopologyGraph.h"

#include "host/program/CellText.h"
#include "host/program/NodeLabels.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace telva_host {

namespace {

bool KindOfClass(const std::string& className, NodeKind& kind) {
    static const std::map<std::string, NodeKind> kinds = {
        {"ORVA_MediaAccessDevice", NodeKind::kDrive}, {"ORVA_DiskDrive", NodeKind::kDrive},
        {"ORVA_CDROMDrive", NodeKind::kDrive},        {"ORVA_DVDDrive", NodeKind::kDrive},
        {"ORVA_TapeDrive", NodeKind::kDrive},         {"ORVA_DisketteDrive", NodeKind::kDrive},
        {"ORVA_DiskPartition", NodeKind::kPartition}, {"ORVA_DynamicExtent", NodeKind::kExtent},
        {"ORVA_LogicalDisk", NodeKind::kLogicalDisk}, {"ORVA_DynamicDiskGroup", NodeKind::kGroup}};
    auto found = kinds.find(className);
    if (found == kinds.end()) return false;
    kind = found->second;
    return true;
}

std::string NodeId(NodeKind kind, const std::string& key) {
    static const char* const prefixes[] = {"drive:", "partition:", "extent:", "logical:", "group:"};
    return prefixes[static_cast<int>(kind)] + key;
}

std::string KeyOf(const std::map<std::string, std::string>& keys) {
    for (const char* name : {"DeviceID", "CollectionID"}) {
        auto found = keys.find(name);
        if (found != keys.end()) return found->second;
    }
    return std::string();
}

std::string KeyOf(const InstanceRecord& instance) {
    return instance.Find("DeviceID") != nullptr ? instance.Text("DeviceID") : instance.Text("CollectionID");
}

class TopologyBuilder {
public:
    explicit TopologyBuilder(const HostReport& report) : report_(report) {}

    TopologyGraph Build() {
        for (const ClassResult& result : report_.classes) {
            NodeKind kind;
            if (result.isAssociation || !KindOfClass(result.className, kind)) continue;
            for (const InstanceRecord& instance : result.instances) AddInstance(kind, result.className, instance);
        }
        for (const ClassResult& result : report_.classes) {
            if (!result.isAssociation) continue;
            for (const InstanceRecord& instance : result.instances) AddAssociation(instance);
        }
        DescribeExtents();
        NestLogicalDrives();
        DropRepeatedPaths();
        PlaceUnassociated();
        PlacePartitions();
        std::stable_sort(graph_.nodes.begin(), graph_.nodes.end(),
                         [](const TopologyNode& a, const TopologyNode& b) { return a.kind < b.kind; });
        return graph_;
    }

private:
    TopologyNode* Node(const std::string& id) {
        for (TopologyNode& node : graph_.nodes) {
            if (node.id == id) return &node;
        }
        return nullptr;
    }

    TopologyNode& AddNode(NodeKind kind, const std::string& key) {
        const std::string id = NodeId(kind, key);
        if (TopologyNode* existing = Node(id)) return *existing;
        TopologyNode node;
        node.id = id;
        node.kind = kind;
        node.title = key;
        node.key = key;
        graph_.nodes.push_back(node);
        if (kind == NodeKind::kGroup) graph_.groupNames[id] = key;
        return graph_.nodes.back();
    }

    void AddInstance(NodeKind kind, const std::string& className, const InstanceRecord& instance) {
        const std::string key = KeyOf(instance);
        const bool known = Node(NodeId(kind, key)) != nullptr;
        TopologyNode& node = AddNode(kind, key);
        // An optical drive is reported as CD-ROM and as DVD drive: one node.
        if (known) return;
        records_[node.id] = instance;
        switch (kind) {
        case NodeKind::kDrive: DescribeDrive(node, className, instance); break;
        case NodeKind::kPartition: DescribePartition(node, instance); break;
        case NodeKind::kLogicalDisk: DescribeLogicalDisk(node, instance); break;
        case NodeKind::kExtent:
        case NodeKind::kGroup: break;  // extents once their logical disks are known
        }
    }

    // An extent reads as its volume's layout (from the logical disk it
    // presents) and size.
    void DescribeExtents() {
        for (TopologyNode& node : graph_.nodes) {
            if (node.kind != NodeKind::kExtent) continue;
            const InstanceRecord* disk = nullptr;
            for (const TopologyEdge& edge : graph_.edges) {
                auto presented = records_.find(edge.to);
                if (edge.kind == EdgeKind::kPresents && edge.from == node.id && presented != records_.end()) {
                    disk = &presented->second;
                    break;
                }
            }
            auto extent = records_.find(node.id);
            if (extent != records_.end()) DescribeExtent(node, extent->second, disk);
        }
    }

    void AddAssociation(const InstanceRecord& association) {
        std::vector<std::string> ends;
        std::vector<NodeKind> kinds;
        for (const auto& property : association.properties) {
            NodeKind kind;
            if (!property.second.IsReference()) continue;
            const NTELVA20::TCIMReference& reference = property.second.GetReference();
            if (!KindOfClass(reference.GetClassName(), kind)) continue;
            ends.push_back(AddNode(kind, KeyOf(reference.GetKeys())).id);
            kinds.push_back(kind);
        }
        if (ends.size() != 2) return;
        if (kinds[0] == NodeKind::kGroup) {
            Node(ends[1])->group = ends[0];
            return;
        }
        EdgeKind kind;
        if (kinds[0] == NodeKind::kDrive && kinds[1] == NodeKind::kPartition) {
            kind = EdgeKind::kHolds;
        } else if (kinds[0] == NodeKind::kPartition && kinds[1] == NodeKind::kLogicalDisk) {
            kind = EdgeKind::kCarries;
        } else if (kinds[0] == NodeKind::kPartition && kinds[1] == NodeKind::kExtent) {
            kind = EdgeKind::kBuilds;
        } else if (kinds[0] == NodeKind::kExtent && kinds[1] == NodeKind::kLogicalDisk) {
            kind = EdgeKind::kPresents;
        } else if (kinds[0] == NodeKind::kDrive && kinds[1] == NodeKind::kLogicalDisk) {
            kind = EdgeKind::kMediaPresent;
        } else {
            return;
        }
        AddEdge(ends[0], ends[1], kind);
    }

    void AddEdge(const std::string& from, const std::string& to, EdgeKind kind) {
        for (const TopologyEdge& edge : graph_.edges) {
            if (edge.from == from && edge.to == to && edge.kind == kind) return;
        }
        graph_.edges.push_back(TopologyEdge{from, to, kind});
    }

    bool HasEdge(const std::string& from, const std::string& to, EdgeKind kind) const {
        for (const TopologyEdge& edge : graph_.edges) {
            if (edge.from == from && edge.to == to && edge.kind == kind) return true;
        }
        return false;
    }

    std::vector<std::string> Targets(const std::string& from, EdgeKind kind) const {
        std::vector<std::string> targets;
        for (const TopologyEdge& edge : graph_.edges) {
            if (edge.from == from && edge.kind == kind) targets.push_back(edge.to);
        }
        return targets;
    }

    bool Range(const std::string& partition, std::uint64_t& start, std::uint64_t& end) const {
        auto record = records_.find(partition);
        if (record == records_.end() || record->second.Find("StartingOffset") == nullptr) return false;
        start = NumberOf(record->second, "StartingOffset");
        end = start + NumberOf(record->second, "Size");
        return true;
    }

    // The logical drives of an MBR disk lie inside its extended partition;
    // they are drawn there instead of beside it.
    void NestLogicalDrives() {
        for (TopologyEdge& outer : graph_.edges) {
            auto record = records_.find(outer.to);
            if (outer.kind != EdgeKind::kHolds || record == records_.end() ||
                record->second.Text("PartitionType") != "2") {
                continue;
            }
            std::uint64_t start, end, innerStart, innerEnd;
            if (!Range(outer.to, start, end)) continue;
            for (TopologyEdge& inner : graph_.edges) {
                if (inner.kind == EdgeKind::kHolds && inner.from == outer.from && inner.to != outer.to &&
                    Range(inner.to, innerStart, innerEnd) && innerStart >= start && innerEnd <= end) {
                    inner.from = outer.to;
                    inner.kind = EdgeKind::kContains;
                }
            }
        }
    }

    // True when the drive reaches the logical disk through its partitions.
    bool ReachesThroughPartitions(const std::string& drive, const std::string& disk) const {
        std::vector<std::string> partitions = Targets(drive, EdgeKind::kHolds);
        for (std::size_t i = 0; i < partitions.size(); ++i) {
            for (const std::string& inner : Targets(partitions[i], EdgeKind::kContains)) partitions.push_back(inner);
        }
        for (const std::string& partition : partitions) {
            if (HasEdge(partition, disk, EdgeKind::kCarries)) return true;
            for (const std::string& extent : Targets(partition, EdgeKind::kBuilds)) {
                if (HasEdge(extent, disk, EdgeKind::kPresents)) return true;
            }
        }
        return false;
    }

    // A dynamic volume is drawn partition → extent → logical disk, so the
    // direct partition → logical disk pairs of its partitions would only
    // repeat it; a drive → logical disk pair that the partitions already
    // show likewise.
    void DropRepeatedPaths() {
        std::vector<TopologyEdge> kept;
        for (const TopologyEdge& edge : graph_.edges) {
            if (edge.kind == EdgeKind::kCarries && !Targets(edge.from, EdgeKind::kBuilds).empty()) continue;
            if (edge.kind == EdgeKind::kMediaPresent && ReachesThroughPartitions(edge.from, edge.to)) continue;
            kept.push_back(edge);
        }
        graph_.edges = kept;
    }

    // Each partition stands with the drive that holds it (an extended
    // partition's logical drives with the extended partition's drive), and
    // the dynamic partitions of a group's drives in the group too.
    void PlacePartitions() {
        for (bool changed = true; changed;) {
            changed = false;
            for (const TopologyEdge& edge : graph_.edges) {
                if (edge.kind != EdgeKind::kHolds && edge.kind != EdgeKind::kContains &&
                    edge.kind != EdgeKind::kPlacement) {
                    continue;
                }
                const TopologyNode* holder = Node(edge.from);
                TopologyNode* partition = Node(edge.to);
                if (holder == nullptr || partition == nullptr || partition->kind != NodeKind::kPartition ||
                    !partition->drive.empty()) {
                    continue;
                }
                partition->drive = holder->kind == NodeKind::kDrive ? holder->id : holder->drive;
                if (partition->drive.empty()) continue;
                if (partition->dynamic && partition->group.empty()) partition->group = Node(partition->drive)->group;
                changed = true;
            }
        }
    }

    bool HasIncoming(const std::string& id) const {
        for (const TopologyEdge& edge : graph_.edges) {
            if (edge.to == id) return true;
        }
        return false;
    }

    // Items no association ties to anything: a partition named after its
    // drive (an optical disc's) is kept beside the drive, and a volume
    // mounted in a folder is tied to the volume holding the folder.
    void PlaceUnassociated() {
        for (const TopologyNode& node : std::vector<TopologyNode>(graph_.nodes)) {
            if (HasIncoming(node.id)) continue;
            if (node.kind == NodeKind::kPartition) {
                const std::size_t comma = node.key.find(',');
                if (comma == std::string::npos) continue;
                for (const TopologyNode& drive : graph_.nodes) {
                    if (drive.kind == NodeKind::kDrive && drive.title == node.key.substr(0, comma)) {
                        AddEdge(drive.id, node.id, EdgeKind::kPlacement);
                        break;
                    }
                }
            } else if (node.kind == NodeKind::kLogicalDisk) {
                const TopologyNode* holder = nullptr;
                for (const TopologyNode& other : graph_.nodes) {
                    if (other.kind != NodeKind::kLogicalDisk || other.id == node.id) continue;
                    const std::string& root = other.key;
                    if (!root.empty() && root.back() == '\\' && root.size() < node.key.size() &&
                        node.key.compare(0, root.size(), root) == 0 &&
                        (holder == nullptr || root.size() > holder->key.size())) {
                        holder = &other;
                    }
                }
                if (holder != nullptr) AddEdge(holder->id, node.id, EdgeKind::kFolder);
            }
        }
    }

    const HostReport& report_;
    TopologyGraph graph_;
    std::map<std::string, InstanceRecord> records_;
};

}  // namespace

const TopologyNode* TopologyGraph::Find(const std::string& id) const {
    for (const TopologyNode& node : nodes) {
        if (node.id == id) return &node;
    }
    return nullptr;
}

TopologyGraph BuildTopology(const HostReport& report) { return TopologyBuilder(report).Build(); }

}  // namespace telva_host
