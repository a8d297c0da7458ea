#include "reference/reconstruction_scan.h"

#include "core/run_context.h"
#include "export/export_state.h"
#include "export/reconstruction.h"

namespace pedprep {

void ReferenceRECONSTRUCTION(RunContext& ctx, ExportState& exports) {
  ReadNationCodes(ctx, exports);
  PedigreeStore& st = ctx.store;
  CRTINS(st);
  if (st.ND <= 0) return;
  auto& ins = st.INS;
  const int ns = ins[1];
  for (int s = 1; s <= ns; ++s) {
    const int lss = ins[s + 2];
    for (int r = ins[s + 1] + 1; r <= ins[s + 2]; ++r) {
      if (!IsSelectedForReconstruction(ctx.store, exports, r)) continue;
      const int in = st.MAS[r][1];
      int in0 = 0;
      if (st.MAS1[r][1] == kBreedLoopCopy) {
        int k = 1;
        while (k <= st.NBREAK && k <= kMaxBreaks &&
               !(st.BREAK_IND[k][1] == st.MAS0[r] && st.BREAK_IND[k][2] == in)) {
          ++k;
        }
        if (k > st.NBREAK || k > kMaxBreaks) Stop(ctx.console, {.kind = StopKind::kNoCopySource});
        in0 = st.BREAK_IND[k][3];
      } else {
        int k = ins[s + 1] + 1;
        while (k <= lss && st.INI_ID[k] != st.INI_ID[r]) ++k;
        if (k > lss) Stop(ctx.console, {.kind = StopKind::kNoCopySource});
        in0 = st.MAS[k][1];
      }
      int source = 0;
      for (int k = ins[s + 1] + 1; k <= ins[s + 2]; ++k) {
        if (st.MAS[k][1] == in0) source = k;
      }
      if (source == 0) Stop(ctx.console, {.kind = StopKind::kNoCopySource});
      const int nfat = st.MAS[source][2];
      const int nmat = st.MAS[source][3];
      const int size = ins[s + 2] - ins[s + 1];
      if (nfat < 1 || nfat > size || nmat < 1 || nmat > size) continue;

      if (ins[ns + 2] + 2 > kMaxRows) {
        Stop(ctx.console, {.kind = StopKind::kParentCopyRows, .family_index = s, .line = r});
      }
      const int old_last = ins[s + 2];
      const int top = ins[ns + 2];
      for (int j = s; j <= ns; ++j) ins[j + 2] = static_cast<int16_t>(ins[j + 2] + 2);
      st.MoveRowsUp(old_last + 1, top, 2);
      const int nln2 = ins[s + 2];
      const int nln1 = nln2 - 1;
      const int l = ins[s + 1];
      const int n = nln1 - 1 - l;
      const int parents[2] = {nfat, nmat};
      for (int c = 0; c < 2; ++c) {
        StoreRow copy;
        copy.mas0 = st.MAS0[l + 1];
        copy.ini_id = st.INI_ID[l + parents[c]];
        copy.mas1[1] = static_cast<uint8_t>(kBreedParentCopy);
        copy.mas1[2] = st.MAS1[l + parents[c]][2];
        copy.mas[1] = static_cast<int16_t>(n + 1 + c);
        st.SetRow(nln1 + c, copy);
      }
      st.MAS[r][2] = static_cast<int16_t>(n + 1);
      st.MAS[r][3] = static_cast<int16_t>(n + 2);
    }
  }
  st.ND = ins[ins[1] + 2];
}

}  // namespace pedprep
