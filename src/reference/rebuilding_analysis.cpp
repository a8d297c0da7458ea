#include "reference/rebuilding_analysis.h"

#include <algorithm>

#include "core/stop.h"
#include "reference/free_slots.h"
#include "reference/loop_break.h"
#include "reference/nuclear_families.h"
#include "reference/peelable_families.h"
#include "reference/queue_search.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

bool AnalyseFamilyPass(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  std::fill(ws.LUK1.begin(), ws.LUK1.end(), 0);
  MAKEINFMAS(ctx, ws.IS);
  FINDPEELABLE(ctx, nmode);
  if (ws.IALL == 1) return true;

  std::fill(ws.IVISITED.begin(), ws.IVISITED.end(), 0);
  ws.NPR1 = ws.INP1[1];
  MARKFREEKP(ctx);
  StartLoopSearch(ctx);
  for (;;) {
    FindLoop(ctx, nmode);
    if (BreakLoop(ctx, nmode) == BreakOutcome::kStoreChanged) return false;
  }
}

void RebuildingSTRYU(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  ws.IBR = 0;
  ws.NS = ctx.store.INS[1];
  for (ws.IS = 1; ws.IS <= ws.NS; ++ws.IS) {
    while (!AnalyseFamilyPass(ctx, nmode)) {
    }
  }
  ctx.store.NBREAK = ws.IBR;
}

}  // namespace pedprep
