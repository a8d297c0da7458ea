#include "reference/queue_search.h"

#include "core/stop.h"
#include "reference/rebuilding_workspace.h"

namespace pedprep {

namespace {

constexpr int32_t kIntegersPerRecord = 4096;

// Appends (x, f) after testing the queue; a full queue writes `overflow` and stops the run.
void Append(RebuildingContext& ctx, int32_t x, int32_t f, int32_t overflow) {
  RebuildingWorkspace& ws = ctx.workspace;
  if (ws.K2 >= kQueueEntries) {
    Stop(ctx.console, {.kind = StopKind::kQueueOverflow, .count = overflow});
  }
  ++ws.K2;
  ws.NINDK[ws.K2] = {0, x, f};
}

int32_t QueueEntry(const RebuildingWorkspace& ws, int32_t k, int c) {
  return k >= 1 && k <= kQueueEntries ? ws.NINDK[k][c] : 0;
}

int32_t BackLink(const RebuildingWorkspace& ws, int32_t k) {
  return k >= 1 && k < static_cast<int32_t>(ws.LBACK.size()) ? ws.LBACK[k] : 0;
}

// NI as a parent: every unpeeled nuclear family other than the arrival family that has NI
// in its father or mother slot.
void ScanAsParent(RebuildingContext& ctx, int32_t arrival) {
  RebuildingWorkspace& ws = ctx.workspace;
  for (int32_t j = 1; j <= ws.NPR1; ++j) {
    if (ws.LUK1[j] == 1 || j == arrival) continue;
    const int32_t fs = ws.FirstSlot(j);
    for (int32_t e = 0; e <= 1; ++e) {
      if (ws.INF1[fs + e] != ws.NI) continue;
      if (ws.IVISITED[j] == 1) {
        ws.IVIS = 1;
        ws.IA = j;
        break;
      }
      if (e == 0) {
        Append(ctx, ws.INF1[fs + 1], j, 1);
        ws.IVISITED[j] = 1;
      } else {
        Append(ctx, ws.INF1[fs], j, 1);
      }
      for (int32_t i = fs + 2; i <= ws.LastSlot(j); ++i) {
        if (ws.ININF1[i] == 0) Append(ctx, ws.INF1[i], j, 2);
      }
    }
  }
}

// NI as a child: the first unpeeled nuclear family other than the arrival family, not yet
// entered through its father slot, that has NI in a child slot gives its parents and NI's
// linked siblings; visited ones met before it signal a loop at the arrival family.
void ScanAsChild(RebuildingContext& ctx, int32_t arrival) {
  RebuildingWorkspace& ws = ctx.workspace;
  for (int32_t j = 1; j <= ws.NPR1; ++j) {
    if (ws.LUK1[j] == 1 || j == arrival) continue;
    const int32_t fs = ws.FirstSlot(j);
    const int32_t ls = ws.LastSlot(j);
    int32_t own = 0;
    for (int32_t i = fs + 2; i <= ls; ++i) {
      if (ws.INF1[i] == ws.NI) {
        own = i;
        break;
      }
    }
    if (own == 0) continue;
    if (ws.IVISITED[j] == 1) {
      ws.IVIS = 1;
      ws.IA = arrival;
      continue;
    }
    Append(ctx, ws.INF1[fs], j, 3);
    Append(ctx, ws.INF1[fs + 1], j, 3);
    for (int32_t i = fs + 2; i < own; ++i) {
      if (ws.ININF1[i] == 0) Append(ctx, ws.INF1[i], j, 3);
    }
    for (int32_t i = own + 1; i <= ls; ++i) {
      if (ws.ININF1[i] == 0) Append(ctx, ws.INF1[i], j, 4);
    }
    return;
  }
}

// One formatted diagnostic record: `text` then the integers, continued on further records.
void WriteDiagnosticRecord(RebuildingContext& ctx, std::string_view text,
                           const std::vector<int32_t>& integers) {
  OutList values;
  values.reserve(integers.size() + integers.size() / kIntegersPerRecord + 1);
  values.push_back(Str(text));
  for (std::size_t k = 0; k < integers.size(); ++k) {
    if (k > 0 && k % kIntegersPerRecord == 0) values.push_back(Str(""));
    values.push_back(I32(integers[k]));
  }
  WriteFormatted(ctx.console, Layout::Parse("(A15,4096I5)"), values);
}

}  // namespace

void StartLoopSearch(RebuildingContext& ctx) {
  RebuildingWorkspace& ws = ctx.workspace;
  int32_t start = 0;
  for (int32_t s = 1; s <= ws.NPR1; ++s) {
    if (ws.LUK1[s] == 0) {
      start = s;
      break;
    }
  }
  if (start == 0) {
    Stop(ctx.console, {.kind = StopKind::kNothingToDo});
  }
  ws.K1 = 1;
  ws.K2 = 1;
  ws.NINDK[1] = {0, ws.FatherOf(start), 0};
}

void ExpandHead(RebuildingContext& ctx) {
  RebuildingWorkspace& ws = ctx.workspace;
  ws.NI = ws.NINDK[ws.K1][1];
  ws.IVIS = 0;
  ws.IA = 0;
  const int32_t arrival = ws.NINDK[ws.K1][2];
  ScanAsParent(ctx, arrival);
  ScanAsChild(ctx, arrival);
}

void FindLoop(RebuildingContext& ctx, int32_t nmode) {
  RebuildingWorkspace& ws = ctx.workspace;
  for (;;) {
    ExpandHead(ctx);
    if (ws.IVIS == 0) {
      ++ws.K1;
      if (ws.K1 > ws.K2) {
        Stop(ctx.console, {.kind = StopKind::kSearchExhausted}, [&] { WriteSearchDetails(ctx); });
      }
      continue;
    }
    if (nmode == 1) {
      if (BackLink(ws, ws.IA) < 0) ws.IA = ws.NINDK[ws.K1][2];
      if (BackLink(ws, ws.IA) != 0) {
        ++ws.K1;
        if (ws.K1 > ws.K2) {
          Stop(ctx.console, {.kind = StopKind::kBackLinkExhausted},
               [&] { WriteSearchDetails(ctx); });
        }
        WriteListDirected(ctx.console, {Str("CAUSE 2")});
        continue;
      }
    }
    return;
  }
}

void WriteSearchDiagnostics(RebuildingContext& ctx, std::string_view heading) {
  WriteListDirected(ctx.console, {Str(heading)});
  WriteSearchDetails(ctx);
}

void WriteSearchDetails(RebuildingContext& ctx) {
  const RebuildingWorkspace& ws = ctx.workspace;
  WriteListDirected(ctx.console, {Str("K1,K2"), I32(ws.K1), I32(ws.K2)});
  WriteDiagnosticRecord(
      ctx, "NI1,2,IV,LBA",
      {QueueEntry(ws, ws.K1, 1), QueueEntry(ws, ws.K1, 2), ws.IVIS, BackLink(ws, ws.IA), ws.IA});
  std::vector<int32_t> column(ws.K2 > 0 ? ws.K2 : 0);
  for (int32_t k = 1; k <= ws.K2; ++k) column[k - 1] = QueueEntry(ws, k, 1);
  WriteDiagnosticRecord(ctx, "NINDK1:", column);
  for (int32_t k = 1; k <= ws.K2; ++k) column[k - 1] = QueueEntry(ws, k, 2);
  WriteDiagnosticRecord(ctx, "NINDK2:", column);
}

}  // namespace pedprep
