#include "reference/blood_fractions_scan.h"

#include <cstdint>
#include <vector>

#include "breed/blood_steps.h"
#include "core/run_context.h"

namespace pedprep {

void ReferenceFINDBLOOD(RunContext& ctx) {
  PedigreeStore& store = ctx.store;
  std::vector<int32_t> iffr;  // 1 = fractions known
  SetFounderFractions(store, iffr);
  const std::vector<PositionRange> families = FamilyRanges(store);

  // Passes over all families in position order; a member resolved earlier in a pass already
  // serves as a parent later in the same pass. A pass that resolves nobody while members are
  // still open can never end the repetition: their ancestry is unresolvable.
  for (;;) {
    int32_t nost = 0;
    int resolved = 0;
    for (const PositionRange& family : families) {
      for (int p = family.first; p <= family.last; ++p) {
        const int nf = store.MAS[p][2];
        const int nm = store.MAS[p][3];
        int32_t niif = 0;
        int32_t niim = 0;
        for (int k = family.first; k <= family.last; ++k) {
          if (store.MAS[k][1] == nf && iffr[k] != 0) niif = k;
          if (store.MAS[k][1] == nm && iffr[k] != 0) niim = k;
        }
        if (iffr[p] == 0 && niif != 0 && niim != 0) {
          SetChildFractions(store, p, niif, niim);
          iffr[p] = 1;
          ++resolved;
        }
        if (iffr[p] == 0) ++nost;
      }
    }
    if (nost == 0) break;
    if (resolved == 0) StopForUnresolvedBlood(ctx, families, iffr);
  }

  CheckBloodSums(ctx);
  if (ctx.observer != nullptr) ctx.observer->BloodFractionsFound(ctx.store);
}

}  // namespace pedprep
