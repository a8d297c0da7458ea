#include "reference/loop_break.h"

#include "core/narrowing.h"
#include "core/stop.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

namespace {

// The last position of family `is` whose individual number is x; 0 when there is none.
int32_t LastPositionOf(const PedigreeStore& store, int32_t is, int32_t x) {
  int32_t found = 0;
  for (int32_t pos = store.FamilyFirst(is); pos <= store.FamilyLast(is); ++pos) {
    if (store.MAS[pos][1] == x) found = pos;
  }
  return found;
}

[[noreturn]] void IndividualNotFound(RebuildingContext& ctx, int32_t x) {
  Stop(ctx.console, {.kind = StopKind::kIndividualNotFound, .number = x});
}

// Opens a new last position of family `is`: the bounds of `is` and every later family and
// ND grow by one, every later position moves up by one (from the last one down).
void MakeRoom(RebuildingContext& ctx, int32_t is) {
  PedigreeStore& store = ctx.store;
  if (store.ND >= kMaxRows) {
    Stop(ctx.console, {.kind = StopKind::kLoopCopyRows});
  }
  const int32_t old_last = store.FamilyLast(is);
  for (int32_t j = is + 2; j <= store.NumFamilies() + 2; ++j) {
    store.INS[j] = static_cast<int16_t>(store.INS[j] + 1);
  }
  store.MoveRowsUp(old_last + 1, store.ND, 1);
  ++store.ND;
}

// Fills the copy list: NI alone, or in nmode -1 the whole sibship in which NI is a child
// (parents first, then the children in slot order), with MAXNUPO moved to NI's copy.
void BuildCopyList(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  if (ws.IPLUSFAM.size() < 3) ws.IPLUSFAM.resize(3, 0);
  ws.IPLUSFAM[1] = 1;
  ws.IPLUSFAM[2] = ws.NILC;
  if (nmode != -1) return;

  for (int32_t k = 1; k <= ws.NPR1; ++k) {
    const int32_t fs = ws.FirstSlot(k);
    for (int32_t i = fs + 2; i <= ws.LastSlot(k); ++i) {
      if (ws.INF1[i] != ws.NI) continue;
      ws.MAXNUPO = ws.MAXN + (i - fs);
      const int32_t n = ws.LastSlot(k) - fs + 1;
      if (static_cast<int32_t>(ws.IPLUSFAM.size()) < n + 2) ws.IPLUSFAM.resize(n + 2, 0);
      ws.IPLUSFAM[1] = n;
      for (int32_t e = 0; e < n; ++e) {
        const int32_t pos = LastPositionOf(ctx.store, ws.IS, ws.INF1[fs + e]);
        if (pos == 0) IndividualNotFound(ctx, ws.INF1[fs + e]);
        ws.IPLUSFAM[2 + e] = pos;
      }
      return;
    }
  }
}

// Inserts the copy of the individual at IPLUSFAM(IPOPO) and records it in BREAK_IND.
void InsertCopy(RebuildingContext& ctx) {
  RebuildingWorkspace& ws = ctx.workspace;
  PedigreeStore& store = ctx.store;
  ws.NILC = ws.IPLUSFAM[ws.IPOPO];
  MakeRoom(ctx, ws.IS);
  ws.NLN = store.FamilyLast(ws.IS);
  const int32_t from = ws.NILC;
  const int32_t to = ws.NLN;
  store.MAS0[to] = store.MAS0[from];
  store.IFON[to] = store.IFON[from];
  store.INI_ID[to] = store.INI_ID[from];
  store.MAS1[to][1] = kBreedLoopCopy;
  store.MAS[to][1] = Low16(ws.MAXN);

  ++ws.IBR;
  if (ws.IBR > kMaxBreaks) {
    Stop(ctx.console, {.kind = StopKind::kLoopCopyLimit});
  }
  store.BREAK_IND[ws.IBR] = {0, store.MAS0[from], Low16(ws.MAXN), store.MAS[from][1],
                             store.INI_ID[from]};

  // Copies of single individuals and of the parents of a sibship are founders; copied
  // children descend from the copied parents.
  const bool founder = ws.IPLUSFAM[1] == 1 || ws.IPOPO <= 3;
  store.MAS[to][2] = Low16(founder ? 0 : ws.MAXINI);
  store.MAS[to][3] = Low16(founder ? 0 : ws.MAXINI + 1);
  store.MAS1[to][2] = store.MAS1[from][2];
  const int32_t columns = store.BreedColumns();
  for (int32_t t = 1; t <= columns; ++t) store.PRACE[to][t] = store.PRACE[from][t];
  ++ws.MAXN;
}

}  // namespace

BreakOutcome BreakLoop(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  PedigreeStore& store = ctx.store;
  const int32_t first = store.FamilyFirst(ws.IS);
  const int32_t last = store.FamilyLast(ws.IS);

  ws.MAXN = 0;
  ws.NILC = 0;
  for (int32_t pos = first; pos <= last; ++pos) {
    const int32_t number = store.MAS[pos][1];
    if (number >= ws.MAXN) ws.MAXN = number + 1;
    if (number == ws.NI) ws.NILC = pos;
  }
  if (ws.NILC == 0) IndividualNotFound(ctx, ws.NI);
  ws.MAXNUPO = ws.MAXN;
  ws.MAXINI = ws.MAXN;
  BuildCopyList(ctx, nmode);

  WriteListDirected(ctx.console, {I32(ws.NI)});
  OutList copy_line;
  for (int32_t k = 1; k <= ws.IPLUSFAM[1] + 1; ++k) copy_line.push_back(I32(ws.IPLUSFAM[k]));
  WriteListDirected(ctx.console, copy_line);

  ws.NFA = ws.FatherOf(ws.IA);
  ws.NMA = ws.MotherOf(ws.IA);
  if (ws.NI != ws.NFA && ws.NI != ws.NMA) {
    WriteListDirected(ctx.console, {Str("(NI.NE.NFA.AND.NI.NE.NMA)")});
    WriteListDirected(ctx.console, {I32(ws.NI), I32(ws.NFA), I32(ws.NMA), I32(ws.IA)});
    ++ws.K1;
    if (ws.K1 > ws.K2) {
      Stop(ctx.console, {.kind = StopKind::kNoLoopAtParent});
    }
    return BreakOutcome::kNotAParent;
  }
  WriteListDirected(ctx.console, {Str("BREAKAGE: NFA,NMA"), I32(ws.NFA), I32(ws.NMA)});

  // The children of IA get the copy in place of NI.
  const int column = ws.NI == ws.NFA ? 2 : 3;
  for (int32_t pos = first; pos <= last; ++pos) {
    if (store.MAS[pos][2] == ws.NFA && store.MAS[pos][3] == ws.NMA) {
      store.MAS[pos][column] = Low16(ws.MAXNUPO);
    }
  }

  for (ws.IPOPO = 2; ws.IPOPO <= ws.IPLUSFAM[1] + 1; ++ws.IPOPO) InsertCopy(ctx);
  return BreakOutcome::kStoreChanged;
}

}  // namespace pedprep
