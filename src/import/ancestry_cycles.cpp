#include "import/ancestry_cycles.h"

#include <algorithm>
#include <utility>

namespace pedprep {

std::vector<std::vector<int>> AncestryCycles(const std::vector<int>& sire,
                                             const std::vector<int>& dam) {
  const int count = static_cast<int>(sire.size());
  auto parent = [&](int n, int link) { return link == 0 ? sire[n] : dam[n]; };
  // Tarjan's search without recursion: order[n] is n's visit number (0 = not visited), low[n]
  // the lowest visit number reachable from n's subtree within the unfinished components.
  std::vector<int> order(count, 0), low(count, 0), component(count, -1);
  std::vector<int> stack;                 // visited, component not yet known
  std::vector<std::pair<int, int>> path;  // (animal, next parent link 0..2)
  std::vector<std::vector<int>> cycles;
  std::vector<int> walk_position(count, -1);
  int visits = 0;
  int components = 0;
  for (int start = 0; start < count; ++start) {
    if (order[start] != 0) continue;
    order[start] = low[start] = ++visits;
    stack.push_back(start);
    path.push_back({start, 0});
    while (!path.empty()) {
      auto& [n, link] = path.back();
      if (link < 2) {
        const int p = parent(n, link++);
        if (p < 0) continue;
        if (order[p] == 0) {
          order[p] = low[p] = ++visits;
          stack.push_back(p);
          path.push_back({p, 0});
        } else if (component[p] < 0) {
          low[n] = std::min(low[n], order[p]);
        }
        continue;
      }
      const int done = n;
      path.pop_back();
      if (!path.empty()) low[path.back().first] = std::min(low[path.back().first], low[done]);
      if (low[done] != order[done]) continue;
      // `done` is the root of a component: the stack down to it.
      std::size_t size = 0;
      int member = -1;
      do {
        member = stack.back();
        stack.pop_back();
        component[member] = components;
        ++size;
      } while (member != done);
      const bool own_parent = sire[done] == done || dam[done] == done;
      if (size > 1 || own_parent) {
        // Every member has a parent inside the component: follow such parents until one
        // comes round again.
        std::vector<int> walk;
        int at = done;
        while (walk_position[at] < 0) {
          walk_position[at] = static_cast<int>(walk.size());
          walk.push_back(at);
          at = sire[at] >= 0 && component[sire[at]] == components ? sire[at] : dam[at];
        }
        cycles.emplace_back(walk.begin() + walk_position[at], walk.end());
        for (const int w : walk) walk_position[w] = -1;
      }
      ++components;
    }
  }
  return cycles;
}

}  // namespace pedprep
