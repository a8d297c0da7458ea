#include "breed/family_ranges.h"

#include <algorithm>

#include "core/pedigree_store.h"

namespace pedprep {

std::vector<PositionRange> FamilyRanges(const PedigreeStore& store) {
  std::vector<PositionRange> families;
  const int nd = std::clamp(store.ND, 0, kMaxRows);
  const int ns = std::clamp(static_cast<int>(store.INS[1]), 0, kMaxFamilies);
  int taken = 0;  // last position already given to a family
  families.reserve(ns);
  for (int s = 1; s <= ns; ++s) {
    const int first = std::max(store.FamilyFirst(s), taken + 1);
    const int last = std::min(store.FamilyLast(s), nd);
    families.push_back({first, last});
    taken = std::max(taken, last);
  }
  return families;
}

}  // namespace pedprep
