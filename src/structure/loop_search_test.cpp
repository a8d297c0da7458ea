#include "structure/loop_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/stop.h"
#include "records/console.h"
#include "structure/family_graph.h"
#include "structure/loop_queue.h"
#include "structure/peeling.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

struct Search {
  CapturingConsole console;
  LoopQueue workspace;
  LoopSearch search{console, workspace};
  bool stopped = false;
  LoopAt loop;

  // Expands until a loop at a parent of its nuclear family (the loops a break is made at);
  // a loop elsewhere is passed over as the structure analysis does.
  void FindBreakableLoop(FamilyGraph& graph, const Peeling& peeling) {
    try {
      for (;;) {
        loop = search.FindLoop(graph, peeling);
        if (loop.ia >= 1 && (loop.ni == graph.Father(loop.ia) || loop.ni == graph.Mother(loop.ia)))
          return;
        search.NoteConsoleLines(workspace.K1);
        if (++workspace.K1 > workspace.K2) throw RunStopped{};
      }
    } catch (const RunStopped&) {
      stopped = true;
    }
  }

  // "K1 | individual/arrival ..." of the queue.
  std::string Queue() const {
    std::string out = std::to_string(workspace.K1) + " |";
    for (int32_t k = 1; k <= workspace.K2; ++k) {
      out +=
          ' ' + std::to_string(workspace.NINDK[k][1]) + '/' + std::to_string(workspace.NINDK[k][2]);
    }
    return out;
  }
};

// A loop-rich family of `size`: a few founders, then members whose parents are two distinct
// earlier members.
std::vector<FamilyMember> RandomFamily(std::mt19937& rng, int size) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<FamilyMember> members;
  const int founders = pick(2, 4);
  for (int n = 1; n <= size; ++n) {
    FamilyMember m{n, 0, 0, n};
    if (n > founders) {
      m.father = pick(1, n - 1);
      do m.mother = pick(1, n - 1);
      while (m.mother == m.father);
    }
    members.push_back(m);
  }
  return members;
}

// Breaks the loops of random families one by one, updating the graph and the peeling in place
// as the structure analysis does. After each break the search is taken up again from the
// first expansion that read something the break changed; it must find the same loop, with
// the same queue, as a new search on a graph and a peeling built afresh from the rows.
TEST(LoopSearchResumeTest, ResumedSearchEqualsANewOne) {
  std::mt19937 rng(1207);
  int resumed_searches = 0;
  for (int trial = 0; trial < 60; ++trial) {
    SCOPED_TRACE(trial);
    std::vector<FamilyMember> members =
        RandomFamily(rng, std::uniform_int_distribution<int>(8, 60)(rng));
    FamilyGraph graph;
    graph.Build(members);
    Peeling peeling;
    peeling.Reset(graph);
    Search resumed;
    bool resumable = false;
    int32_t changed = 0;
    int32_t next_number = static_cast<int32_t>(members.size()) + 1;
    while (!peeling.AllPeeled()) {
      const int32_t start = peeling.LowestUnpeeled();
      int32_t from = 1;
      if (resumable && start == resumed.search.start()) {
        from = std::min(resumed.search.FirstConsoleLines(), resumed.search.FirstRead(changed));
        for (int32_t k : peeling.Changes()) from = std::min(from, resumed.search.FirstRead(k));
      }
      if (from > 1 && from != LoopSearch::kNever) {
        resumed.search.Resume(from);
        ++resumed_searches;
      } else {
        resumed.search.Start(graph, start);
      }
      peeling.ClearChanges();
      resumed.FindBreakableLoop(graph, peeling);

      FamilyGraph fresh_graph;
      fresh_graph.Build(members);
      Peeling fresh_peeling;
      fresh_peeling.Reset(fresh_graph);
      ASSERT_EQ(fresh_peeling.LowestUnpeeled(), start);
      Search fresh;
      fresh.search.Start(fresh_graph, start);
      fresh.FindBreakableLoop(fresh_graph, fresh_peeling);

      ASSERT_EQ(resumed.stopped, fresh.stopped);
      ASSERT_EQ(resumed.console.output, fresh.console.output);
      ASSERT_EQ(resumed.Queue(), fresh.Queue());
      if (fresh.stopped) break;
      ASSERT_EQ(resumed.loop.ni, fresh.loop.ni);
      ASSERT_EQ(resumed.loop.ia, fresh.loop.ia);

      // The children of ia get a new founder, numbered next_number, in place of ni.
      const int32_t ia = resumed.loop.ia;
      if (peeling.Peeled(ia) || !graph.HoldsNoSlot(next_number)) break;
      const bool father_side = resumed.loop.ni == graph.Father(ia);
      for (int32_t slot = graph.MotherSlot(ia) + 1; slot <= graph.LastSlot(ia); ++slot) {
        FamilyMember& child = members[graph.SlotPosition(slot) - 1];
        (father_side ? child.father : child.mother) = next_number;
      }
      members.push_back({next_number, 0, 0, static_cast<int32_t>(members.size()) + 1});
      const int32_t old_id =
          graph.SlotIndividual(father_side ? graph.FatherSlot(ia) : graph.MotherSlot(ia));
      const int32_t new_id = graph.ReplaceParent(ia, father_side, next_number);
      peeling.ParentReplaced(graph, ia, old_id, new_id);
      changed = ia;
      resumable = true;
      ++next_number;
    }
  }
  // Most searches after a break are taken up again rather than started anew.
  EXPECT_GT(resumed_searches, 500);
}

}  // namespace
}  // namespace pedprep
