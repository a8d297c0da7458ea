#include "reading/family_view.h"

#include <algorithm>

#include "core/exit_status.h"
#include "reading/observed_run.h"
#include "structure/family_graph.h"
#include "structure/peeling.h"

namespace pedprep {
namespace {

int LargestBreed(const PedigreeStore& st, int p) {
  int breed = 0;
  double largest = 0;
  for (int k = 1; k <= std::min(st.NRAC, kMaxBreeds); ++k) {
    if (st.PRACE[p][k] > largest) {
      largest = st.PRACE[p][k];
      breed = k;
    }
  }
  return breed;
}

}  // namespace

StopStage StageOf(const ObservedRun& run) {
  if (run.status == kExitSuccess) return StopStage::kNone;
  if (!run.stop) return StopStage::kReading;
  switch (run.stop->kind) {
    case StopKind::kPassportErrors:
    case StopKind::kUnresolvedBlood:
      return StopStage::kAsRead;
    case StopKind::kQueueOverflow:
    case StopKind::kSearchExhausted:
    case StopKind::kNoLoopAtParent:
    case StopKind::kBackLinkExhausted:
    case StopKind::kIndividualNotFound:
    case StopKind::kLoopCopyRows:
    case StopKind::kLoopCopyLimit:
    case StopKind::kCrossOverflow:
    case StopKind::kIncorrectMode:
    case StopKind::kNothingToDo:
      return StopStage::kStructure;
    case StopKind::kParentCopyRows:
    case StopKind::kNoCopySource:
    case StopKind::kMarkerDefinition:
      return StopStage::kAfterStructure;
    default:
      return StopStage::kReading;
  }
}

int FamilyIndex(const PedigreeStore& st, int32_t family) {
  for (int s = 1; s <= st.NumFamilies(); ++s) {
    if (st.MAS0[st.FamilyFirst(s)] == family) return s;
  }
  return 0;
}

int FamilyOfPosition(const PedigreeStore& st, int32_t position) {
  for (int s = 1; s <= st.NumFamilies(); ++s) {
    if (position >= st.FamilyFirst(s) && position <= st.FamilyLast(s)) return s;
  }
  return 0;
}

FamilyView BuildFamily(const ObservedRun& run, int s) {
  const PedigreeStore& st = run.run->store;
  FamilyView view;
  view.family = st.MAS0[st.FamilyFirst(s)];
  // Numbers are 16 bits, so the table over lowest..highest has at most 65,536 entries.
  const int first_position = st.FamilyFirst(s);
  const int last_position = st.FamilyLast(s);
  if (first_position <= last_position) {
    view.lowest = st.MAS[first_position][1];
    int32_t highest = view.lowest;
    for (int p = first_position; p <= last_position; ++p) {
      view.lowest = std::min<int32_t>(view.lowest, st.MAS[p][1]);
      highest = std::max<int32_t>(highest, st.MAS[p][1]);
    }
    view.first_node.assign(static_cast<std::size_t>(int64_t{highest} - view.lowest + 1),
                           FamilyView::kNoNode);
  }
  for (int p = first_position; p <= last_position; ++p) {
    std::size_t& first = view.first_node[static_cast<std::size_t>(st.MAS[p][1] - view.lowest)];
    if (first == FamilyView::kNoNode) first = view.nodes.size();
    view.nodes.push_back({p, st.MAS[p][1], st.MAS[p][2], st.MAS[p][3], st.INI_ID[p], st.MAS1[p][2],
                          NodeKind::kAnimal, 0, LargestBreed(st, p)});
  }
  auto mark = [&view](int32_t copy, NodeKind kind, int32_t original) -> bool {
    const std::size_t k = view.IndexOf(copy);
    if (k == FamilyView::kNoNode || view.nodes[k].kind != NodeKind::kAnimal) return false;
    view.nodes[k].kind = kind;
    view.nodes[k].original = original;
    return true;
  };
  for (const ParentCopy& c : run.parent_copies) {
    if (c.family == view.family) mark(c.copy, NodeKind::kParentCopy, c.original);
  }
  if (StageOf(run) != StopStage::kAfterStructure) {
    // The copies carry the store's numbers: ped.dat's, or the analysis' when it stopped.
    for (const LoopCopy& c : run.loop_copies) {
      if (c.family != view.family || !mark(c.copy, NodeKind::kLoopCopy, c.original)) continue;
      view.loop_copies.push_back(view.IndexOf(c.copy));
      view.copy_matings.emplace_back(c.father, c.mother);
    }
    return view;
  }
  // Renumbered after the analysis stopped: a later holder of an ini_id is a copy of the
  // first.
  std::map<int32_t, int32_t> first_of;
  for (std::size_t k = 0; k < view.nodes.size(); ++k) {
    Node& node = view.nodes[k];
    if (node.kind != NodeKind::kAnimal) continue;
    auto [it, fresh] = first_of.emplace(node.ini_id, node.number);
    if (fresh) continue;
    node.kind = NodeKind::kLoopCopy;
    node.original = it->second;
    view.loop_copies.push_back(k);
    view.copy_matings.emplace_back(0, 0);
  }
  return view;
}

std::set<int32_t> LoopCore(const FamilyView& view) {
  std::vector<FamilyMember> members;
  for (std::size_t k = 0; k < view.nodes.size(); ++k) {
    const Node& node = view.nodes[k];
    if (node.kind != NodeKind::kAnimal) continue;
    members.push_back({node.number, view.Original(node.father), view.Original(node.mother),
                       static_cast<int32_t>(members.size() + 1)});
  }
  FamilyGraph graph;
  graph.Build(members);
  Peeling peeling;
  peeling.Reset(graph);
  std::set<int32_t> core;
  for (int32_t k = 1; k <= graph.NPR1(); ++k) {
    if (peeling.Peeled(k)) continue;
    for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
      if (graph.SlotValue(slot) != 0) core.insert(graph.SlotValue(slot));
    }
  }
  for (const Node& node : view.nodes) {
    if (node.kind != NodeKind::kAnimal && core.count(view.Original(node.number)) != 0) {
      core.insert(node.number);
    }
  }
  return core;
}

std::set<int32_t> Around(const FamilyView& view, int32_t number, int up, int down,
                         bool with_copies) {
  std::map<int32_t, std::vector<int32_t>> children;
  for (const Node& node : view.nodes) {
    if (node.kind != NodeKind::kAnimal) continue;
    for (int32_t parent : {view.Original(node.father), view.Original(node.mother)}) {
      if (parent != 0) children[parent].push_back(node.number);
    }
  }
  std::set<int32_t> kept = {number};
  std::vector<int32_t> generation = {number};
  for (int g = 0; g < up && !generation.empty(); ++g) {
    std::vector<int32_t> next;
    for (int32_t n : generation) {
      const Node* node = view.Find(n);
      for (int32_t parent : {view.Original(node->father), view.Original(node->mother)}) {
        if (parent != 0 && view.Find(parent) != nullptr && kept.insert(parent).second) {
          next.push_back(parent);
        }
      }
    }
    generation = std::move(next);
  }
  generation = {number};
  for (int g = 0; g < down && !generation.empty(); ++g) {
    std::vector<int32_t> next;
    for (int32_t n : generation) {
      for (int32_t child : children[n]) {
        if (kept.insert(child).second) next.push_back(child);
      }
    }
    generation = std::move(next);
  }
  if (!with_copies) return kept;
  for (const Node& node : view.nodes) {
    if (node.kind != NodeKind::kAnimal && kept.count(view.Original(node.number)) != 0) {
      kept.insert(node.number);
    }
  }
  return kept;
}

std::vector<ChartBox> AncestorChart(const FamilyView& view, int32_t number, int up,
                                    std::size_t limit) {
  std::vector<ChartBox> boxes = {{1, number, 0}};
  std::size_t first = 0;  // the first box of the generation being extended
  for (int g = 1; g <= std::min(up, 62) && boxes.size() <= limit; ++g) {
    const std::size_t end = boxes.size();
    for (std::size_t k = first; k < end && boxes.size() <= limit; ++k) {
      const Node* node = view.Find(boxes[k].number);
      if (node == nullptr) continue;
      const int32_t parents[2] = {view.Original(node->father), view.Original(node->mother)};
      for (int side = 0; side < 2; ++side) {
        if (parents[side] != 0 && view.Find(parents[side]) != nullptr) {
          boxes.push_back({boxes[k].slot * 2 + static_cast<uint64_t>(side), parents[side], g});
        }
      }
    }
    first = end;
  }
  return boxes;
}

std::set<int32_t> CopyLineage(const FamilyView& view, int32_t number) {
  std::set<int32_t> kept;
  std::vector<int32_t> todo = {number};
  while (!todo.empty()) {
    const int32_t n = todo.back();
    todo.pop_back();
    const Node* node = view.Find(n);
    if (node == nullptr || !kept.insert(n).second || node->kind == NodeKind::kAnimal) continue;
    kept.insert(view.Original(n));
    todo.push_back(node->father);
    todo.push_back(node->mother);
  }
  for (const Node& node : view.nodes) {
    if (node.father == number || node.mother == number) kept.insert(node.number);
  }
  return kept;
}

}  // namespace pedprep
