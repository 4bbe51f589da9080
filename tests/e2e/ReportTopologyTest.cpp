// The storage topology of the lab machine as dot text: every edge's ends are
// declared once, and Graphviz accepts it. Which nodes, edges and frames the
// lab's graph has is a golden report (tests/golden/lab.dot).
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

TEST(LabTopology, DotTextDeclaresEveryEndAndGraphvizDrawsIt) {
    STRATA_REQUIRE_LAB_REPORT();
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
