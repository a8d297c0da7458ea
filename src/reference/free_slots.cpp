#include "reference/free_slots.h"

#include "core/stop.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

void MARKFREEKP(RebuildingContext& ctx) {
  RebuildingWorkspace& ws = ctx.workspace;
  ws.NPR1 = ws.INP1[1];
  const int32_t npr1 = ws.NPR1;
  for (int32_t i = 1; i <= ws.LastSlot(npr1); ++i) ws.ININF1[i] = 1;

  for (int32_t j = 1; j <= npr1; ++j) {
    if (ws.LUK1[j] == 1) continue;
    for (int32_t i = ws.FirstSlot(j); i <= ws.LastSlot(j); ++i) {
      const int32_t m = ws.INF1[i];
      for (int32_t q = 1; q <= npr1; ++q) {
        if (ws.LUK1[q] == 1 || q == j) continue;
        if (ws.Occurs(m, q)) {
          ws.ININF1[i] = 0;
          break;
        }
      }
    }
  }
}

}  // namespace pedprep
