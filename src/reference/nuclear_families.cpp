#include "reference/nuclear_families.h"

#include "core/stop.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

void MAKEINFMAS(RebuildingContext& ctx, int32_t is) {
  RebuildingWorkspace& ws = ctx.workspace;
  const PedigreeStore& store = ctx.store;
  const int32_t first = store.FamilyFirst(is);
  const int32_t last = store.FamilyLast(is);
  const int32_t size = last >= first ? last - first + 1 : 0;

  ws.INP1[2] = 0;
  int32_t count = 0;
  if (static_cast<int32_t>(ws.grouped.size()) < size + 1) ws.grouped.resize(size + 1, 0);
  // Founders (father number 0) never start a nuclear family of their own.
  for (int32_t r = 1; r <= size; ++r) {
    ws.grouped[r] = store.MAS[first + r - 1][2] == 0 ? 1 : 0;
  }

  for (;;) {
    int32_t start = 0;
    for (int32_t r = 1; r <= size; ++r) {
      if (ws.grouped[r] == 0) {
        start = r;
        break;
      }
    }
    if (start == 0) break;

    ++count;
    const int32_t start_pos = first + start - 1;
    ws.M1 = store.MAS[start_pos][2];
    ws.M2 = store.MAS[start_pos][3];
    ws.KF = 1;
    if (ws.NF.size() < 2) ws.NF.resize(2, 0);
    ws.NF[1] = store.MAS[start_pos][1];
    ws.grouped[start] = 1;
    for (int32_t r = 1; r <= size; ++r) {
      const int32_t pos = first + r - 1;
      if (ws.grouped[r] == 0 && store.MAS[pos][2] == ws.M1 && store.MAS[pos][3] == ws.M2) {
        ws.grouped[r] = 1;
        ++ws.KF;
        if (static_cast<int32_t>(ws.NF.size()) <= ws.KF) ws.NF.resize(ws.KF + 1, 0);
        ws.NF[ws.KF] = store.MAS[pos][1];
      }
    }

    ws.EnsureNuclearFamilies(count);
    ws.INP1[count + 2] = ws.INP1[count + 1] + ws.KF + 2;
    ws.EnsureSlots(ws.INP1[count + 2]);
    const int32_t p = ws.INP1[count + 1] + 1;
    ws.INF1[p] = ws.M1;
    ws.INF1[p + 1] = ws.M2;
    for (int32_t j = 1; j <= ws.KF; ++j) ws.INF1[p + 1 + j] = ws.NF[j];
  }

  ws.INP1[1] = count;
  ws.NPR1 = count;
}

}  // namespace pedprep
