// One family of the store as the pictures see it: its rows in position order, which of them
// are copies and of whom, the loop-break copies in the order made, and the parts of the
// family a picture may show (the animals of its loops, an animal's neighbourhood).
#ifndef PEDPREP_INSPECT_FAMILY_VIEW_H_
#define PEDPREP_INSPECT_FAMILY_VIEW_H_

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "core/pedigree_store.h"

namespace pedprep {

struct ObservedRun;

enum class NodeKind { kAnimal, kLoopCopy, kParentCopy };

// One row of the family. Numbers are the family's individual numbers (0 = unknown).
struct Node {
  int32_t position = 0;
  int32_t number = 0;
  int32_t father = 0;
  int32_t mother = 0;
  int32_t ini_id = 0;
  int sex = 0;
  NodeKind kind = NodeKind::kAnimal;
  int32_t original = 0;  // a copy's original (a number of the family)
  int breed = 0;         // breed of the largest fraction, 0 = none
};

// One family of the store as the run left it.
struct FamilyView {
  int32_t family = 0;
  std::vector<Node> nodes;  // in position order
  // The first node of each number: first_node[number - lowest], kNoNode when none. Numbers are
  // those of the store (16 bits), so the table has at most 65,536 entries.
  static constexpr std::size_t kNoNode = static_cast<std::size_t>(-1);
  int32_t lowest = 0;
  std::vector<std::size_t> first_node;
  // The loop-break copies (node indexes) in the order made, and the mating whose children
  // received each (numbers; 0 = unknown).
  std::vector<std::size_t> loop_copies;
  std::vector<std::pair<int32_t, int32_t>> copy_matings;

  // The index of the first node of `number`, or kNoNode.
  std::size_t IndexOf(int32_t number) const {
    const int64_t slot = int64_t{number} - lowest;
    return slot < 0 || slot >= static_cast<int64_t>(first_node.size())
               ? kNoNode
               : first_node[static_cast<std::size_t>(slot)];
  }
  const Node* Find(int32_t number) const {
    const std::size_t k = IndexOf(number);
    return k == kNoNode ? nullptr : &nodes[k];
  }
  // The animal read that `number` stands for, following copies of copies.
  int32_t Original(int32_t number) const {
    for (std::size_t guard = 0; guard <= nodes.size(); ++guard) {
      const Node* node = Find(number);
      if (node == nullptr || node->kind == NodeKind::kAnimal) break;
      number = node->original;
    }
    return number;
  }
};

// Where in the run a stop happened, for what the store holds: kNone (the run finished),
// kReading (nothing to draw), kAsRead (the families as read), kStructure (the family where
// the loop breaking stopped with the copies made so far, later ones as read),
// kAfterStructure (renumbered after the loop breaking).
enum class StopStage { kNone, kReading, kAsRead, kStructure, kAfterStructure };
StopStage StageOf(const ObservedRun& run);

// The family index s of INS that holds family number `family`; 0 = none.
int FamilyIndex(const PedigreeStore& st, int32_t family);
// The family index s that holds store position `position`; 0 = none.
int FamilyOfPosition(const PedigreeStore& st, int32_t position);

// Family index `s` (1..NumFamilies) of the store the run left.
FamilyView BuildFamily(const ObservedRun& run, int s);

// Numbers of the animals in the nuclear families that do not peel in the family as the
// passport gave it (every copy replaced by its original), and their copies.
std::set<int32_t> LoopCore(const FamilyView& view);

// The animal `number` (an animal read), its ancestors up to `up` generations and descendants
// down to `down`, on the pedigree as read (through the originals of copies); with
// `with_copies` also the copies of any of them.
std::set<int32_t> Around(const FamilyView& view, int32_t number, int up, int down,
                         bool with_copies);

// One box of an ancestor chart: its slot (1 the animal, 2k the sire and 2k+1 the dam of the
// box in slot k), the animal's number and its generation back from the animal (0..up).
struct ChartBox {
  uint64_t slot = 1;
  int32_t number = 0;
  int generation = 0;
};

// The ancestor chart of animal `number` up to `up` generations (at most 62) on the pedigree
// as read: one box per known ancestor in each place it holds, so an ancestor met on two
// paths has two boxes; in slot order within each generation. Stops after `limit` + 1 boxes
// (the chart is then too large to draw).
std::vector<ChartBox> AncestorChart(const FamilyView& view, int32_t number, int up,
                                    std::size_t limit);

// The parent copy `number`, the rows above it (its parents in the store, themselves parent
// copies, and theirs), the originals of those copies, and the children of `number`.
std::set<int32_t> CopyLineage(const FamilyView& view, int32_t number);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_FAMILY_VIEW_H_
