// The storage topology of the lab machine: which edges and frames the graph
// has, and that Graphviz accepts the dot text.
#include "host/program/TopologyGraph.h"
#include "tests/e2e/LabSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace telva_host;

namespace {

class LabTopology : public ::testing::Test {
protected:
    void SetUp() override {
        STRATA_REQUIRE_LAB_REPORT();
        graph = BuildTopology(*strata_test::LabReport());
    }

    std::vector<std::string> Targets(const std::string& from, EdgeKind kind) const {
        std::vector<std::string> targets;
        for (const TopologyEdge& edge : graph.edges) {
            if (edge.from == from && edge.kind == kind) targets.push_back(edge.to);
        }
        return targets;
    }

    std::size_t Count(EdgeKind kind) const {
        std::size_t count = 0;
        for (const TopologyEdge& edge : graph.edges) count += edge.kind == kind;
        return count;
    }

    const TopologyNode& Node(const std::string& id) const {
        const TopologyNode* node = graph.Find(id);
        if (node == nullptr) throw std::runtime_error("no node " + id);
        return *node;
    }

    TopologyGraph graph;
};

const std::string kDisk0 = "drive:SCSI\\DISK&VEN_ATA&PROD_LAB_DISK\\4&215468A5&0&000000";

TEST_F(LabTopology, BasicDisksHoldPartitionsThatCarryVolumes) {
    // The logical drives hang under the extended partition they lie in.
    EXPECT_EQ((std::vector<std::string>{"partition:Disk 0,Partition 1", "partition:Disk 0,Partition 0",
                                        "partition:Disk 0,Partition 2"}),
              Targets(kDisk0, EdgeKind::kHolds));
    EXPECT_EQ((std::vector<std::string>{"partition:Disk 0,Partition 3", "partition:Disk 0,Partition 4"}),
              Targets("partition:Disk 0,Partition 0", EdgeKind::kContains));
    EXPECT_EQ(kDisk0, Node("partition:Disk 0,Partition 4").drive);
    EXPECT_EQ((std::vector<std::string>{"logical:D:\\"}),
              Targets("partition:Disk 0,Partition 3", EdgeKind::kCarries));
    EXPECT_EQ((std::vector<std::string>{"logical:C:\\data\\"}), Targets("logical:C:\\", EdgeKind::kFolder));

    // Every drive → volume pair is already shown through a partition.
    EXPECT_EQ(0u, Count(EdgeKind::kMediaPresent));
    EXPECT_EQ("Disk 0", Node(kDisk0).title);
    EXPECT_EQ((std::vector<std::string>{"basic disk, 256 GiB"}), Node(kDisk0).details);
    EXPECT_EQ((std::vector<std::string>{"USB-STICK", "NTFS, 14.9 GiB", "quota enforced"}),
              Node("logical:U:\\").details);
}

TEST_F(LabTopology, DynamicVolumesGoThroughTheirExtentsInsideTheGroup) {
    EXPECT_EQ(10u, Count(EdgeKind::kBuilds));
    EXPECT_EQ(5u, Count(EdgeKind::kPresents));
    // The partitions of a dynamic volume reach its logical disk only through the extent.
    for (const TopologyEdge& edge : graph.edges) {
        if (edge.kind == EdgeKind::kCarries) {
            EXPECT_FALSE(Node(edge.from).dynamic) << edge.from;
        }
    }
    ASSERT_EQ(1u, graph.groupNames.size());
    const std::string group = graph.groupNames.begin()->first;
    EXPECT_EQ("STRATA-LABDg0", graph.groupNames.begin()->second);
    std::map<NodeKind, int> members;
    for (const TopologyNode& node : graph.nodes) {
        if (node.group == group) ++members[node.kind];
    }
    EXPECT_EQ((std::map<NodeKind, int>{{NodeKind::kDrive, 4}, {NodeKind::kPartition, 10}, {NodeKind::kExtent, 5}}),
              members);
    const TopologyNode& mirror = Node("extent:" + strata_test::LabInstances("ORVA_DynamicExtent")[3].Text("DeviceID"));
    EXPECT_EQ("Volume4", mirror.title);
    EXPECT_EQ((std::vector<std::string>{"Mirror, 3.00 GiB"}), mirror.details);
}

TEST_F(LabTopology, OpticalDrivesAreOneNodeAndUnplacedItemsStayApart) {
    std::size_t optical = 0;
    for (const TopologyNode& node : graph.nodes) {
        if (node.kind == NodeKind::kDrive && node.title.find("-ROM") != std::string::npos) ++optical;
    }
    EXPECT_EQ(2u, optical);  // reported under two classes, drawn once
    EXPECT_TRUE(Node("drive:IDE\\CDROMLAB_DVD-RW_DRIVE_______________________1.00____\\5&1A2B3C4D&0&1.1.0").empty);
    // The disc's partition is only named after its drive: a placement, not an association.
    EXPECT_EQ(1u, Count(EdgeKind::kPlacement));
    EXPECT_TRUE(Node("logical:S:\\ (CD-Rom) ").empty);
    EXPECT_EQ("S:\\ (CD-Rom)", Node("logical:S:\\ (CD-Rom) ").title);
}

TEST_F(LabTopology, DotTextDeclaresEveryEndAndGraphvizDrawsIt) {
    std::ostringstream out;
    WriteDotReport(out, *strata_test::LabReport());
    const std::string dot = out.str();

    std::set<std::string> declared;
    std::set<std::string> used;
    const std::regex node("^\\s*(\"(?:[^\"\\\\]|\\\\.)*\") \\[");
    const std::regex edge("^\\s*(\"(?:[^\"\\\\]|\\\\.)*\") -> (\"(?:[^\"\\\\]|\\\\.)*\")");
    std::istringstream lines(dot);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, edge)) {
            used.insert(match[1]);
            used.insert(match[2]);
        } else if (std::regex_search(line, match, node)) {
            EXPECT_TRUE(declared.insert(match[1]).second) << "declared twice: " << match[1];
        }
    }
    for (const std::string& end : used) EXPECT_EQ(1u, declared.count(end)) << end;
    EXPECT_NE(std::string::npos, dot.find("subgraph \"cluster_group:STRATA-LABDg0\""));
    EXPECT_NE(std::string::npos, dot.find("\"logical:C:\\\\data\\\\\""));  // backslashes escaped

    if (std::system("command -v dot >/dev/null 2>&1") != 0) GTEST_SKIP() << "Graphviz dot is not installed";
    const std::string base = testing::TempDir() + "strata-lab-topology";
    std::ofstream(base + ".dot") << dot;
    ASSERT_EQ(0, std::system(("dot -Tsvg -o " + base + ".svg " + base + ".dot 2>" + base + ".err").c_str()));
    std::ifstream errors(base + ".err");
    const std::string warnings((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(warnings.empty()) << warnings;
    std::ifstream svg(base + ".svg");
    const std::string drawn((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, drawn.find("<svg"));
    EXPECT_NE(std::string::npos, drawn.find("dynamic disk group STRATA&#45;LABDg0"));
    for (const char* suffix : {".dot", ".svg", ".err"}) std::remove((base + suffix).c_str());
}

}  // namespace
