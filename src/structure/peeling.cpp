#include "structure/peeling.h"

namespace pedprep {

void Peeling::Reset(const FamilyGraph& graph) {
  const int32_t npr1 = graph.NPR1();
  const int32_t individuals = graph.Individuals();
  families_of_.assign(individuals, 0);
  family_xor_.assign(individuals, 0);
  seen_.assign(individuals, 0);
  stamp_ = 0;
  links_.assign(npr1 + 1, 0);
  peeled_.assign(npr1 + 1, 0);
  work_.clear();
  unpeeled_ = npr1;
  lowest_ = 1;

  for (int32_t k = 1; k <= npr1; ++k) {
    ++stamp_;
    for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
      int32_t id = graph.SlotIndividual(slot);
      if (seen_[id] == stamp_) continue;
      seen_[id] = stamp_;
      ++families_of_[id];
      family_xor_[id] ^= k;
    }
  }
  for (int32_t k = 1; k <= npr1; ++k) {
    int32_t links = 0;
    for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
      links += families_of_[graph.SlotIndividual(slot)] >= 2;
    }
    links_[k] = links;
    if (links <= 1) work_.push_back(k);
  }
  Settle(graph);
  changes_.clear();
}

void Peeling::ParentReplaced(const FamilyGraph& graph, int32_t k, int32_t old_id, int32_t new_id) {
  const int32_t individuals = graph.Individuals();
  if (static_cast<int32_t>(families_of_.size()) < individuals) {
    families_of_.resize(individuals, 0);
    family_xor_.resize(individuals, 0);
    seen_.resize(individuals, 0);
  }
  // The moved slot held old_id; it now holds new_id, which stands in k alone.
  if (families_of_[old_id] >= 2) --links_[k];
  families_of_[new_id] = 1;
  family_xor_[new_id] = k;
  if (graph.Multiplicity(k, old_id) == 0) Leave(graph, old_id, k);
  if (links_[k] <= 1) work_.push_back(k);
  Settle(graph);
}

int32_t Peeling::LowestUnpeeled() {
  const int32_t npr1 = static_cast<int32_t>(peeled_.size()) - 1;
  while (lowest_ <= npr1 && peeled_[lowest_]) ++lowest_;
  return lowest_ <= npr1 ? lowest_ : 0;
}

// When the individual is left in a single unpeeled family, its slots there are no longer
// linked, and as a child it is free.
void Peeling::Leave(const FamilyGraph& graph, int32_t id, int32_t k) {
  --families_of_[id];
  family_xor_[id] ^= k;
  if (families_of_[id] != 1) return;
  const int32_t r = family_xor_[id];
  links_[r] -= graph.Multiplicity(r, id);
  if (links_[r] <= 1) work_.push_back(r);
  for (const ChildOccurrence& occurrence : graph.ChildOccurrences(id)) {
    changes_.push_back(occurrence.family);
  }
}

void Peeling::Peel(const FamilyGraph& graph, int32_t k) {
  peeled_[k] = 1;
  --unpeeled_;
  changes_.push_back(k);
  ++stamp_;
  for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
    int32_t id = graph.SlotIndividual(slot);
    if (seen_[id] == stamp_) continue;
    seen_[id] = stamp_;
    Leave(graph, id, k);
  }
}

void Peeling::Settle(const FamilyGraph& graph) {
  while (!work_.empty()) {
    int32_t k = work_.back();
    work_.pop_back();
    if (!peeled_[k] && links_[k] <= 1) Peel(graph, k);
  }
}

}  // namespace pedprep
