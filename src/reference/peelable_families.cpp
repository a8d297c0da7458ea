#include "reference/peelable_families.h"

#include "core/stop.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

namespace {

// True when x stands in a slot of an unpeeled nuclear family other than p.
bool LinkedOutside(const RebuildingWorkspace& ws, int32_t x, int32_t p) {
  for (int32_t r = 1; r <= ws.INP1[1]; ++r) {
    if (r == p || ws.LUK1[r] != 0) continue;
    if (ws.Occurs(x, r)) return true;
  }
  return false;
}

int32_t CountUnpeeled(const RebuildingWorkspace& ws) {
  int32_t n = 0;
  for (int32_t k = 1; k <= ws.INP1[1]; ++k) {
    if (ws.LUK1[k] == 0) ++n;
  }
  return n;
}

// Peels, in increasing order, every unpeeled nuclear family with at most one slot whose
// individual also stands in another unpeeled nuclear family. Marks take effect at once.
void SingleLinkSweep(RebuildingWorkspace& ws) {
  const int32_t npr1 = ws.INP1[1];
  for (int32_t p = 1; p <= npr1; ++p) {
    if (ws.LUK1[p] != 0) continue;
    int32_t links = 0;
    for (int32_t i = ws.FirstSlot(p); i <= ws.LastSlot(p) && links <= 1; ++i) {
      if (LinkedOutside(ws, ws.INF1[i], p)) ++links;
    }
    if (links <= 1) ws.LUK1[p] = 1;
  }
}

// Inner-cross rule for unpeeled nuclear family p: peels p together with every nuclear family
// formed by a mating among p's members, when p then hangs on the rest by at most one parent
// and those matings lead nowhere else. Returns false (nothing peeled) when a test fails.
bool TryInnerCross(RebuildingContext& ctx, int32_t p) {
  RebuildingWorkspace& ws = ctx.workspace;
  const int32_t npr1 = ws.INP1[1];
  const int32_t first_child = ws.FirstSlot(p) + 2;
  const int32_t n = ws.LastSlot(p) - first_child + 1;

  for (int32_t k = 1; k <= kMaxCrossChildren; ++k) ws.ICROS[k] = {0, 0, 0};
  if (n > kMaxCrossChildren) {
    Stop(ctx.console, {.kind = StopKind::kCrossOverflow, .count = n});
  }
  auto child = [&](int32_t k) { return ws.INF1[first_child + k - 1]; };
  for (int32_t k = 1; k <= n; ++k) ws.ICROS[k] = {0, child(k), 0};

  auto is_child_of_p = [&](int32_t x) {
    for (int32_t k = 1; k <= n; ++k) {
      if (child(k) == x) return true;
    }
    return false;
  };
  // A parent of p is linked through any slot of another unpeeled nuclear family, except a
  // parent slot whose partner is one of p's children (a mating inside p).
  auto parent_linked = [&](int32_t x) {
    for (int32_t r = 1; r <= npr1; ++r) {
      if (r == p || ws.LUK1[r] != 0) continue;
      const int32_t fs = ws.FirstSlot(r);
      for (int32_t i = fs; i <= ws.LastSlot(r); ++i) {
        if (ws.INF1[i] != x) continue;
        if (i == fs && is_child_of_p(ws.INF1[fs + 1])) continue;
        if (i == fs + 1 && is_child_of_p(ws.INF1[fs])) continue;
        return true;
      }
    }
    return false;
  };
  if (parent_linked(ws.FatherOf(p)) && parent_linked(ws.MotherOf(p))) return false;

  // Each child may be a parent in at most one other unpeeled nuclear family; its entry
  // becomes that family's parent pair.
  for (int32_t k = 1; k <= n; ++k) {
    const int32_t ck = child(k);
    for (int32_t r = 1; r <= npr1; ++r) {
      if (r == p || ws.LUK1[r] != 0) continue;
      const int32_t fs = ws.FirstSlot(r);
      if (ws.INF1[fs] == ck) {
        if (ws.ICROS[k][2] != 0) return false;
        ws.ICROS[k] = {0, ck, ws.INF1[fs + 1]};
      }
      if (ws.INF1[fs + 1] == ck) {
        if (ws.ICROS[k][2] != 0) return false;
        ws.ICROS[k] = {0, ws.INF1[fs], ck};
      }
    }
  }

  // Both partners of every cross must be members of p.
  for (int32_t k = 1; k <= n; ++k) {
    if (ws.ICROS[k][2] == 0) continue;
    if (!ws.Occurs(ws.ICROS[k][1], p) || !ws.Occurs(ws.ICROS[k][2], p)) return false;
  }

  // Distinct pairs in order of first occurrence.
  int32_t distinct = 0;
  for (int32_t k = 1; k <= n; ++k) {
    bool seen = false;
    for (int32_t t = 1; t <= distinct && !seen; ++t) {
      seen = ws.ICROS[t][1] == ws.ICROS[k][1] && ws.ICROS[t][2] == ws.ICROS[k][2];
    }
    if (!seen) ws.ICROS[++distinct] = ws.ICROS[k];
  }
  ws.NSIBSIB = n - distinct;

  // No child of an inner cross may be a parent of a third unpeeled nuclear family.
  for (int32_t t = 1; t <= distinct; ++t) {
    for (int32_t r = 1; r <= npr1; ++r) {
      if (r == p || ws.LUK1[r] != 0) continue;
      if (ws.FatherOf(r) != ws.ICROS[t][1] || ws.MotherOf(r) != ws.ICROS[t][2]) continue;
      for (int32_t i = ws.FirstSlot(r) + 2; i <= ws.LastSlot(r); ++i) {
        const int32_t x = ws.INF1[i];
        for (int32_t s = 1; s <= npr1; ++s) {
          if (s == p || s == r || ws.LUK1[s] != 0) continue;
          if (ws.FatherOf(s) == x || ws.MotherOf(s) == x) return false;
        }
      }
    }
  }

  for (int32_t t = 1; t <= distinct; ++t) {
    for (int32_t r = 1; r <= npr1; ++r) {
      if (ws.FatherOf(r) == ws.ICROS[t][1] && ws.MotherOf(r) == ws.ICROS[t][2]) ws.LUK1[r] = 1;
    }
  }
  ws.LUK1[p] = 1;
  ws.NPEEYU = 1;
  return true;
}

void InnerCrossSweep(RebuildingContext& ctx) {
  RebuildingWorkspace& ws = ctx.workspace;
  for (int32_t p = 1; p <= ws.INP1[1]; ++p) {
    if (ws.LUK1[p] != 0) continue;
    TryInnerCross(ctx, p);
  }
}

// Records inner crosses: for every nuclear family r whose father and mother both stand in
// nuclear family p, LBACK(p) becomes -2 if still 0, and LBACK(r) becomes -1 (both parents
// are children of p), p's mother (r's father is a parent of p) or p's father (r's mother is
// a parent of p).
void BackLinkPass(RebuildingWorkspace& ws) {
  const int32_t npr1 = ws.INP1[1];
  for (int32_t p = 1; p <= npr1; ++p) {
    const int32_t fs = ws.FirstSlot(p);
    for (int32_t r = 1; r <= npr1; ++r) {
      if (r == p) continue;
      const int32_t f = ws.FatherOf(r);
      const int32_t m = ws.MotherOf(r);
      enum class Side { kNone, kFather, kMother } side = Side::kNone;
      bool found_f = false;
      bool found_m = false;
      for (int32_t i = fs; i <= ws.LastSlot(p); ++i) {
        const bool parent_slot = i <= fs + 1;
        if (ws.INF1[i] == f) {
          found_f = true;
          if (parent_slot) side = Side::kFather;
        }
        if (ws.INF1[i] == m) {
          found_m = true;
          if (parent_slot) side = Side::kMother;
        }
      }
      if (!found_f || !found_m) continue;
      if (ws.LBACK[p] == 0) ws.LBACK[p] = -2;
      switch (side) {
        case Side::kNone:
          ws.LBACK[r] = -1;
          break;
        case Side::kFather:
          ws.LBACK[r] = ws.INF1[fs + 1];
          break;
        case Side::kMother:
          ws.LBACK[r] = ws.INF1[fs];
          break;
      }
    }
  }
}

}  // namespace

void FINDPEELABLE(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  if (nmode < -1 || nmode > 1) {
    Stop(ctx.console, {.kind = StopKind::kIncorrectMode, .count = nmode});
  }
  const int32_t npr1 = ws.INP1[1];
  ws.EnsureNuclearFamilies(npr1);
  ws.IALL = 0;
  for (int32_t k = 1; k <= npr1; ++k) ws.LUK1[k] = 0;
  ws.NK = npr1;

  for (bool done = false; !done;) {
    SingleLinkSweep(ws);
    int32_t left = CountUnpeeled(ws);
    if (left == 0) {
      ws.IALL = 1;
      break;
    }
    if (left < ws.NK) {
      ws.NK = left;
      continue;
    }
    if (nmode != 1) return;

    // The single-link rule stalled: inner-cross sweeps until they stall too. If they
    // peeled anything, the single-link sweeps resume.
    ws.NPEEYU = 0;
    for (;;) {
      InnerCrossSweep(ctx);
      left = CountUnpeeled(ws);
      if (left == 0) {
        ws.IALL = 1;
        done = true;
        break;
      }
      if (left < ws.NK) {
        ws.NK = left;
        continue;
      }
      if (ws.NPEEYU != 1) done = true;
      break;
    }
  }

  if (nmode == 1) BackLinkPass(ws);
}

}  // namespace pedprep
