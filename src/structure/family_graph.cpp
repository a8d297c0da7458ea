#include "structure/family_graph.h"

#include <algorithm>
#include <unordered_map>

namespace pedprep {
namespace {

uint32_t PairKey(int32_t father, int32_t mother) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(father)) << 16) |
         static_cast<uint16_t>(mother);
}

}  // namespace

FamilyGraph::FamilyGraph() : id_of_value_(kNone) { Clear(); }

void FamilyGraph::Clear() {
  for (int32_t value : values_) id_of_value_[value] = kNone;
  values_.clear();
  slot_counts_.clear();
  parent_occurrences_.clear();
  child_occurrences_.clear();
  npr1_ = 0;
  last_slot_.assign(1, 0);
  slot_value_.assign(1, 0);
  slot_id_.assign(1, kNone);
  slot_position_.assign(1, 0);
}

int32_t FamilyGraph::IdOf(int32_t value) const {
  return ValueTable<int32_t>::Holds(value) ? id_of_value_[value] : kNone;
}

int32_t FamilyGraph::IdFor(int32_t value) {
  int32_t& id = id_of_value_[value];
  if (id == kNone) {
    id = static_cast<int32_t>(values_.size());
    values_.push_back(value);
    slot_counts_.push_back(0);
    parent_occurrences_.emplace_back();
    child_occurrences_.emplace_back();
  }
  return id;
}

bool FamilyGraph::HoldsNoSlot(int32_t value) const {
  int32_t id = IdOf(value);
  return id == kNone || slot_counts_[id] == 0;
}

void FamilyGraph::Build(const std::vector<FamilyMember>& members) {
  Clear();
  // Group the positions with a known father by their parent pair; nuclear families are
  // numbered in the order their first child appears.
  std::unordered_map<uint32_t, int32_t> family_of_pair;
  family_of_pair.reserve(members.size());
  std::vector<int32_t> first_member;  // per nuclear family (0-based): its first child
  std::vector<int32_t> next_member(members.size(), -1);  // next child of the same family
  std::vector<int32_t> last_member;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const FamilyMember& m = members[i];
    if (m.father == 0) continue;
    auto [it, inserted] = family_of_pair.try_emplace(PairKey(m.father, m.mother),
                                                     static_cast<int32_t>(first_member.size()));
    if (inserted) {
      first_member.push_back(static_cast<int32_t>(i));
      last_member.push_back(static_cast<int32_t>(i));
    } else {
      next_member[last_member[it->second]] = static_cast<int32_t>(i);
      last_member[it->second] = static_cast<int32_t>(i);
    }
  }

  npr1_ = static_cast<int32_t>(first_member.size());
  last_slot_.reserve(npr1_ + 1);
  auto add_slot = [&](int32_t value, int32_t position) {
    slot_value_.push_back(value);
    slot_id_.push_back(IdFor(value));
    slot_position_.push_back(position);
    ++slot_counts_[slot_id_.back()];
    return static_cast<int32_t>(slot_value_.size()) - 1;
  };
  for (int32_t k = 1; k <= npr1_; ++k) {
    const FamilyMember& first = members[first_member[k - 1]];
    int32_t father_slot = add_slot(first.father, 0);
    int32_t mother_slot = add_slot(first.mother, 0);
    int32_t father_id = slot_id_[father_slot];
    int32_t mother_id = slot_id_[mother_slot];
    parent_occurrences_[father_id].push_back({k, true, false});
    if (mother_id == father_id) {
      parent_occurrences_[mother_id].back().mother = true;
    } else {
      parent_occurrences_[mother_id].push_back({k, false, true});
    }
    for (int32_t i = first_member[k - 1]; i >= 0; i = next_member[i]) {
      int32_t slot = add_slot(members[i].number, members[i].position);
      std::vector<ChildOccurrence>& list = child_occurrences_[slot_id_[slot]];
      if (list.empty() || list.back().family != k) list.push_back({k, slot});
    }
    last_slot_.push_back(static_cast<int32_t>(slot_value_.size()) - 1);
  }
}

int32_t FamilyGraph::Multiplicity(int32_t k, int32_t id) const {
  int32_t count = 0;
  for (int32_t slot = FatherSlot(k); slot <= LastSlot(k); ++slot) count += slot_id_[slot] == id;
  return count;
}

int32_t FamilyGraph::ReplaceParent(int32_t k, bool father_slot, int32_t new_value) {
  int32_t slot = father_slot ? FatherSlot(k) : MotherSlot(k);
  int32_t old_id = slot_id_[slot];
  int32_t new_id = IdFor(new_value);
  slot_value_[slot] = new_value;
  slot_id_[slot] = new_id;
  --slot_counts_[old_id];
  ++slot_counts_[new_id];

  std::vector<ParentOccurrence>& old_list = parent_occurrences_[old_id];
  auto it = std::lower_bound(old_list.begin(), old_list.end(), k,
                             [](const ParentOccurrence& occurrence, int32_t family) {
                               return occurrence.family < family;
                             });
  if (it != old_list.end() && it->family == k) {
    (father_slot ? it->father : it->mother) = false;
    if (!it->father && !it->mother) old_list.erase(it);
  }
  parent_occurrences_[new_id].push_back({k, father_slot, !father_slot});
  return new_id;
}

}  // namespace pedprep
