// Volumes mounted in each other: a volume reachable from its own mount
// folders would give endless folder paths, so such a machine is refused.
#include "platform/sim/PreparedMachine.h"

#include <stdexcept>
#include <utility>

namespace strata_sim {

void PreparedMachine::CheckMountCycles() const {
    const std::size_t count = machine_.volumes.size();
    // For each volume, the volumes its mount folders lie on, with the folder.
    std::vector<std::vector<std::pair<std::size_t, std::string>>> hosts(count);
    for (std::size_t v = 0; v < count; ++v) {
        for (const std::string& folder : machine_.volumes[v].mountFolders) {
            if (const std::optional<std::size_t> host = HostOfMountFolder(folder)) hosts[v].emplace_back(*host, folder);
        }
    }
    // Depth-first, with an explicit stack: thousands of nested volumes must
    // not exhaust the call stack.
    enum class Mark { Unseen, OnPath, Done };
    std::vector<Mark> marks(count, Mark::Unseen);
    struct Step {
        std::size_t volume;
        std::size_t next;  // the next of its hosts to follow
    };
    for (std::size_t start = 0; start < count; ++start) {
        if (marks[start] != Mark::Unseen) continue;
        std::vector<Step> path = {{start, 0}};
        marks[start] = Mark::OnPath;
        while (!path.empty()) {
            Step& step = path.back();
            if (step.next == hosts[step.volume].size()) {
                marks[step.volume] = Mark::Done;
                path.pop_back();
                continue;
            }
            const auto& [host, folder] = hosts[step.volume][step.next++];
            if (marks[host] == Mark::OnPath) {
                throw std::runtime_error("machine description: volume " + std::to_string(host) + " (" +
                                         machine_.volumes[host].guidName +
                                         ") is mounted inside itself, through mount folder " + folder);
            }
            if (marks[host] == Mark::Unseen) {
                marks[host] = Mark::OnPath;
                path.push_back({host, 0});
            }
        }
    }
}

}  // namespace strata_sim
