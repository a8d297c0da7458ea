// The nuclear-family list of one family, indexed for fast lookups.
//
// The slot list has exactly the layout of INF1/INP1: nuclear families numbered 1..NPR1 in
// the order of the position of their first child; family k occupies the 1-based slots
// LastSlot(k-1)+1 .. LastSlot(k): father slot, mother slot, then the children in position
// order. A position belongs to a nuclear family as a child when its father number is not
// 0; two such positions share a nuclear family when their (father, mother) numbers are
// equal.
//
// Besides the slots the graph keeps, per individual number standing in a slot (a dense
// "individual id"), the nuclear families where it stands in a parent slot and those where
// it stands in a child slot, both in increasing family order. These give the slot scans of
// the loop search in the same order as a scan over all nuclear families would.
#ifndef PEDPREP_STRUCTURE_FAMILY_GRAPH_H_
#define PEDPREP_STRUCTURE_FAMILY_GRAPH_H_

#include <cstdint>
#include <vector>

#include "core/value_table.h"

namespace pedprep {

// One position of the family as the builder reads it: the three MAS columns.
struct FamilyMember {
  int32_t number = 0;
  int32_t father = 0;
  int32_t mother = 0;
  int32_t position = 0;
};

// Nuclear family `family` has the individual in its father and/or mother slot.
struct ParentOccurrence {
  int32_t family = 0;
  bool father = false;
  bool mother = false;
};

// Nuclear family `family` has the individual in a child slot; `slot` is the first such.
struct ChildOccurrence {
  int32_t family = 0;
  int32_t slot = 0;
};

class FamilyGraph {
 public:
  static constexpr int32_t kNone = -1;

  FamilyGraph();
  FamilyGraph(const FamilyGraph&) = delete;
  FamilyGraph& operator=(const FamilyGraph&) = delete;

  // Builds the list from the family's positions, given in increasing position order.
  // Individual numbers must be 16-bit values (as the store holds them).
  void Build(const std::vector<FamilyMember>& members);

  int32_t NPR1() const { return npr1_; }
  int32_t TotalSlots() const { return static_cast<int32_t>(slot_value_.size()) - 1; }
  int32_t FatherSlot(int32_t k) const { return last_slot_[k - 1] + 1; }
  int32_t MotherSlot(int32_t k) const { return last_slot_[k - 1] + 2; }
  int32_t LastSlot(int32_t k) const { return last_slot_[k]; }
  int32_t Father(int32_t k) const { return slot_value_[FatherSlot(k)]; }
  int32_t Mother(int32_t k) const { return slot_value_[MotherSlot(k)]; }

  // Slot contents, slot = 1..TotalSlots().
  int32_t SlotValue(int32_t slot) const { return slot_value_[slot]; }
  int32_t SlotIndividual(int32_t slot) const { return slot_id_[slot]; }
  // Store position of the child in a child slot (0 for parent slots).
  int32_t SlotPosition(int32_t slot) const { return slot_position_[slot]; }

  // Individual ids 0..Individuals()-1.
  int32_t Individuals() const { return static_cast<int32_t>(values_.size()); }
  // The id of an individual number, kNone when no slot ever held it.
  int32_t IdOf(int32_t value) const;
  int32_t ValueOf(int32_t id) const { return values_[id]; }
  // True when no slot holds `value` now.
  bool HoldsNoSlot(int32_t value) const;
  std::vector<ParentOccurrence>& MutableParentOccurrences(int32_t id) {
    return parent_occurrences_[id];
  }
  const std::vector<ChildOccurrence>& ChildOccurrences(int32_t id) const {
    return child_occurrences_[id];
  }
  // Number of slots of nuclear family k holding individual id.
  int32_t Multiplicity(int32_t k, int32_t id) const;

  // Puts `new_value`, which must hold no slot, into the father slot (or the mother slot)
  // of nuclear family k. Returns the id of `new_value`.
  int32_t ReplaceParent(int32_t k, bool father_slot, int32_t new_value);

 private:
  int32_t IdFor(int32_t value);
  void Clear();

  int32_t npr1_ = 0;
  std::vector<int32_t> last_slot_;  // [0] = 0, [k] = last slot of nuclear family k
  std::vector<int32_t> slot_value_;
  std::vector<int32_t> slot_id_;
  std::vector<int32_t> slot_position_;

  ValueTable<int32_t> id_of_value_;
  std::vector<int32_t> values_;
  std::vector<int32_t> slot_counts_;
  std::vector<std::vector<ParentOccurrence>> parent_occurrences_;
  std::vector<std::vector<ChildOccurrence>> child_occurrences_;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_FAMILY_GRAPH_H_
