// Single-link peeling of one family's nuclear-family graph, kept up to date across loop
// breaks.
//
// A nuclear family peels when at most one of its slots holds an individual that also
// stands in another unpeeled nuclear family (a slot counts once per slot, so an individual
// in two slots counts twice). Link counts only fall as families peel, so repeated sweeps
// end in one unique set of unpeeled families whatever the order: the largest set in which
// every member has at least two linked slots. This class computes that set with a work
// list and per-individual counts of the unpeeled families it stands in.
//
// A loop break moves one parent slot to a new individual that stands nowhere else; that
// only lowers link counts, so the set after the break is reached by peeling on from the
// set before it.
#ifndef PEDPREP_STRUCTURE_PEELING_H_
#define PEDPREP_STRUCTURE_PEELING_H_

#include <cstdint>
#include <vector>

#include "structure/family_graph.h"

namespace pedprep {

class Peeling {
 public:
  Peeling() = default;
  Peeling(const Peeling&) = delete;
  Peeling& operator=(const Peeling&) = delete;

  // Peels `graph` from scratch (every nuclear family unpeeled at the start).
  void Reset(const FamilyGraph& graph);

  // Call after graph.ReplaceParent(k, ..) moved one parent slot of the unpeeled nuclear
  // family k from individual `old_id` to the new individual `new_id`; peels on.
  void ParentReplaced(const FamilyGraph& graph, int32_t k, int32_t old_id, int32_t new_id);

  bool Peeled(int32_t k) const { return peeled_[k] != 0; }
  bool AllPeeled() const { return unpeeled_ == 0; }
  // The lowest-numbered unpeeled nuclear family, 0 when all are peeled.
  int32_t LowestUnpeeled();
  // True when the individual stands in at least two unpeeled nuclear families: a slot of
  // an unpeeled family holding it is then not free.
  bool Joins(int32_t id) const { return families_of_[id] >= 2; }

  // Nuclear families whose state as the loop search sees it changed since the last
  // ClearChanges(): families peeled, and families with a child whose Joins() turned false.
  // A family may be listed more than once.
  const std::vector<int32_t>& Changes() const { return changes_; }
  void ClearChanges() { changes_.clear(); }

 private:
  void Peel(const FamilyGraph& graph, int32_t k);
  void Settle(const FamilyGraph& graph);
  // One unpeeled family fewer holds individual id.
  void Leave(const FamilyGraph& graph, int32_t id, int32_t k);

  std::vector<int32_t> families_of_;  // per individual: unpeeled families it stands in
  std::vector<int32_t> family_xor_;   // per individual: XOR of those family numbers
  std::vector<int32_t> links_;        // per nuclear family: linked slots
  std::vector<uint8_t> peeled_;
  std::vector<int32_t> seen_;  // per individual: stamp of the last family visited
  std::vector<int32_t> work_;
  std::vector<int32_t> changes_;
  int32_t stamp_ = 0;
  int32_t unpeeled_ = 0;
  int32_t lowest_ = 1;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_PEELING_H_
