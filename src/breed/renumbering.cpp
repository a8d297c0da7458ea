#include "breed/renumbering.h"

#include <algorithm>
#include <vector>

#include "breed/family_ranges.h"
#include "core/narrowing.h"
#include "core/run_context.h"

namespace pedprep {

namespace {

// Renumbers one family 1, 2, 3, ... in position order. temporary: the first number above
// every individual number of the store, handed out to members that must move out of the way.
void RenumberFamily(PedigreeStore& store, PositionRange family, int32_t temporary) {
  int32_t maxnum = temporary;
  int32_t k = 1;  // the number the next member should carry
  for (int p = family.first; p <= family.last; ++p) {
    const int32_t number = store.MAS[p][1];
    if (number == k) {
      ++k;
      continue;
    }
    // A number below k belongs to a member already met (a duplicate): left as it is.
    if (number < k) continue;

    // The member takes k. Any later member already carrying k moves to a fresh temporary
    // number first, then the later members carrying the old number follow to k; parent
    // references move the same way, so each reference changes at most once per step.
    const int32_t nin = number;
    store.MAS[p][1] = Low16(k);
    for (int q = p + 1; q <= family.last; ++q) {
      if (store.MAS[q][1] == k) store.MAS[q][1] = Low16(maxnum);
      if (store.MAS[q][1] == nin) store.MAS[q][1] = Low16(k);
    }
    for (int q = family.first; q <= family.last; ++q) {
      auto& row = store.MAS[q];
      if (row[2] == k) row[2] = Low16(maxnum);
      if (row[3] == k) row[3] = Low16(maxnum);
      if (row[2] == nin) row[2] = Low16(k);
      if (row[3] == nin) row[3] = Low16(k);
    }
    ++maxnum;
    ++k;
  }
}

}  // namespace

void RENUM(RunContext& ctx) {
  PedigreeStore& store = ctx.store;
  const int nd = std::clamp(store.ND, 0, kMaxRows);

  int32_t mmaxn = 0;
  for (int i = 1; i <= nd; ++i) {
    if (store.MAS[i][1] >= mmaxn) mmaxn = store.MAS[i][1] + 1;
  }

  // A family numbered 1..n in position order (the usual case) costs one scan: only members
  // out of order trigger the scans of a renumbering step.
  for (const PositionRange& family : FamilyRanges(store)) RenumberFamily(store, family, mmaxn);
}

}  // namespace pedprep
