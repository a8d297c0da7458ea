#include "import/ancestry_cycles.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace pedprep {
namespace {

// Whether `cycle` is one: each member's sire or dam is the next, the last's is the first.
bool IsCycle(const std::vector<int>& cycle, const std::vector<int>& sire,
             const std::vector<int>& dam) {
  std::set<int> seen(cycle.begin(), cycle.end());
  if (cycle.empty() || seen.size() != cycle.size()) return false;
  for (std::size_t i = 0; i < cycle.size(); ++i) {
    const int next = cycle[(i + 1) % cycle.size()];
    if (sire[cycle[i]] != next && dam[cycle[i]] != next) return false;
  }
  return true;
}

// The components holding a cycle, by reachability: animals on a cycle, grouped by mutual
// reachability (the straightforward way).
std::size_t ComponentsWithCycles(const std::vector<int>& sire, const std::vector<int>& dam) {
  const std::size_t n = sire.size();
  std::vector<std::vector<bool>> reaches(n, std::vector<bool>(n, false));
  for (std::size_t a = 0; a < n; ++a) {
    std::vector<int> todo = {static_cast<int>(a)};
    while (!todo.empty()) {
      const int at = todo.back();
      todo.pop_back();
      for (const int p : {sire[at], dam[at]}) {
        if (p >= 0 && !reaches[a][p]) {
          reaches[a][p] = true;
          todo.push_back(p);
        }
      }
    }
  }
  std::set<std::set<int>> components;
  for (std::size_t a = 0; a < n; ++a) {
    if (!reaches[a][a]) continue;
    std::set<int> members;
    for (std::size_t b = 0; b < n; ++b) {
      if (reaches[a][b] && reaches[b][a]) members.insert(static_cast<int>(b));
    }
    components.insert(members);
  }
  return components.size();
}

TEST(AncestryCyclesTest, OneValidCyclePerComponentOnRandomBooks) {
  std::mt19937 random(25);
  for (int round = 0; round < 300; ++round) {
    const int n = 1 + static_cast<int>(random() % 12);
    std::vector<int> sire(n), dam(n);
    for (int a = 0; a < n; ++a) {
      sire[a] = random() % 3 == 0 ? -1 : static_cast<int>(random() % n);
      dam[a] = random() % 2 == 0 ? -1 : static_cast<int>(random() % n);
    }
    SCOPED_TRACE(round);
    const std::vector<std::vector<int>> cycles = AncestryCycles(sire, dam);
    EXPECT_EQ(cycles.size(), ComponentsWithCycles(sire, dam));
    for (const std::vector<int>& cycle : cycles) EXPECT_TRUE(IsCycle(cycle, sire, dam));
  }
  // A line of 200,000 whose founder descends from the last: one cycle through every animal.
  const int line = 200000;
  std::vector<int> sire(line), dam(line, -1);
  for (int a = 0; a < line; ++a) sire[a] = (a + 1) % line;
  const std::vector<std::vector<int>> cycles = AncestryCycles(sire, dam);
  ASSERT_EQ(cycles.size(), 1u);
  EXPECT_EQ(cycles[0].size(), static_cast<std::size_t>(line));
}

}  // namespace
}  // namespace pedprep
