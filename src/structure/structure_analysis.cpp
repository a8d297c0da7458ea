#include "structure/structure_analysis.h"

#include <algorithm>
#include <utility>

#include "core/narrowing.h"
#include "core/run_context.h"
#include "core/value_table.h"
#include "records/console.h"
#include "records/layout.h"
#include "structure/family_graph.h"
#include "structure/family_rows.h"
#include "structure/loop_queue.h"
#include "structure/loop_search.h"
#include "structure/peeling.h"

namespace pedprep {
namespace {

class StructureAnalysis {
 public:
  StructureAnalysis(StructureContext& ctx, RunObserver* observer)
      : ctx_(ctx), observer_(observer), rows_(ctx.store), search_(ctx.console, ctx.queue) {}
  StructureAnalysis(const StructureAnalysis&) = delete;
  StructureAnalysis& operator=(const StructureAnalysis&) = delete;

  void Run();

 private:
  void AnalyseFamily(int32_t s);
  // Breaks the loop at `loop.ni` in nuclear family `loop.ia`. Returns false, with the
  // store unchanged, when ni is neither parent of ia.
  bool BreakLoop(const LoopAt& loop);
  // Father and mother of nuclear family `ia` (0 = unknown).
  std::pair<int32_t, int32_t> ParentsOf(int32_t ia) const;
  // The children of ia, or with `in_place` false the family's rows with the parents nfa and
  // nma, get `copy_number` as father (`father_side`) or mother.
  void GiveCopyToChildren(int32_t ia, int32_t nfa, int32_t nma, bool father_side,
                          int16_t copy_number, bool in_place);
  // Appends the copy of the row at position `nilc` under `copy_number`, records it in
  // BREAK_IND and returns its position.
  int32_t AppendCopy(int32_t nilc, int16_t copy_number);
  // Rebuilds the nuclear-family list and the peeled set from the family's positions.
  void BuildGraph();
  int32_t ResumePoint(int32_t start) const;
  void NoteNumber(int32_t position);
  int32_t LastPositionOf(int32_t number) const;
  void ReportCopy(int32_t nilc, int32_t nfa, int32_t nma, int32_t copy_position);

  StructureContext& ctx_;
  RunObserver* observer_;  // may be null
  int32_t family_index_ = 0;
  int32_t family_number_ = 0;
  FamilyRows rows_;
  FamilyGraph graph_;
  Peeling peeling_;
  LoopSearch search_;
  int32_t copies_made_ = 0;               // IBR
  int32_t next_number_ = 0;               // MAXN: 1 + the largest individual number of the family
  ValueTable<int32_t> last_position_of_;  // by number: last position, 0 = none
  // After an in-place break: the search may be taken up again (ResumePoint); the nuclear
  // family that got the copy.
  bool resumable_ = false;
  int32_t changed_family_ = 0;
};

void StructureAnalysis::Run() {
  copies_made_ = 0;
  const int32_t families = ctx_.store.INS[1];
  try {
    for (int32_t s = 1; s <= families && s + 2 <= kInsEntries; ++s) AnalyseFamily(s);
    rows_.Flush();
  } catch (RunStopped& stop) {
    // The copies made so far are in the store when the run stops; the stop names the
    // family under analysis.
    rows_.Flush();
    stop.reason.family_index = family_index_;
    stop.reason.family = family_number_;
    if (observer_ != nullptr) observer_->StructureAnalysed(ctx_.store, true);
    throw;
  }
  ctx_.store.NBREAK = copies_made_;
  if (observer_ != nullptr) observer_->StructureAnalysed(ctx_.store, false);
}

void StructureAnalysis::NoteNumber(int32_t position) {
  const int32_t number = rows_.Number(position);
  last_position_of_[number] = position;
  if (number >= next_number_) next_number_ = number + 1;
}

int32_t StructureAnalysis::LastPositionOf(int32_t number) const {
  return ValueTable<int32_t>::Holds(number) ? last_position_of_[number] : 0;
}

void StructureAnalysis::BuildGraph() {
  graph_.Build(rows_.Members());
  peeling_.Reset(graph_);
}

// A search restarted after a break repeats the previous search exactly up to the first
// expansion that reads something the break changed: the nuclear family given the copy,
// the families peeled since, and the families whose children's marks changed. It can take
// up the previous search there, provided it starts from the same family and the earlier
// expansions wrote no console lines. Returns that expansion, or 1 / kNever for a new start.
int32_t StructureAnalysis::ResumePoint(int32_t start) const {
  if (!resumable_ || start != search_.start()) return 1;
  int32_t from = std::min(search_.FirstConsoleLines(), search_.FirstRead(changed_family_));
  for (int32_t k : peeling_.Changes()) from = std::min(from, search_.FirstRead(k));
  return from;
}

void StructureAnalysis::AnalyseFamily(int32_t s) {
  resumable_ = false;
  rows_.Open(s);
  family_index_ = s;
  family_number_ = rows_.FamilyNumber(rows_.First());
  if (observer_ != nullptr) observer_->FamilyAnalysisStarted(s, family_number_);
  next_number_ = 0;
  for (int32_t position = rows_.First(); position <= rows_.Last(); ++position) {
    NoteNumber(position);
  }
  BuildGraph();
  while (!peeling_.AllPeeled()) {
    const int32_t start = peeling_.LowestUnpeeled();
    const int32_t from = ResumePoint(start);
    if (from > 1 && from != LoopSearch::kNever) {
      search_.Resume(from);
    } else {
      search_.Start(graph_, start);
    }
    peeling_.ClearChanges();
    for (;;) {
      if (BreakLoop(search_.FindLoop(graph_, peeling_))) break;
      LoopQueue& ws = ctx_.queue;
      search_.NoteConsoleLines(ws.K1);
      ++ws.K1;
      if (ws.K1 > ws.K2) Stop(ctx_.console, {.kind = StopKind::kNoLoopAtParent});
    }
  }
  for (int32_t position = rows_.First(); position <= rows_.Last(); ++position) {
    last_position_of_[rows_.Number(position)] = 0;
  }
}

bool StructureAnalysis::BreakLoop(const LoopAt& loop) {
  Console& console = ctx_.console;
  const int32_t ni = loop.ni;
  const int32_t ia = loop.ia;
  const int32_t nilc = LastPositionOf(ni);
  if (nilc == 0) {
    // A parent number that names no member of the family (a negative one, say) has no
    // row to copy.
    Stop(console, {.kind = StopKind::kIndividualNotFound, .number = ni});
  }
  WriteListDirected(console, {I32(ni)});
  WriteListDirected(console, {I32(1), I32(nilc)});
  const auto [nfa, nma] = ParentsOf(ia);
  if (ni != nfa && ni != nma) {
    WriteListDirected(console, {Str("(NI.NE.NFA.AND.NI.NE.NMA)")});
    WriteListDirected(console, {I32(ni), I32(nfa), I32(nma), I32(ia)});
    return false;
  }
  WriteListDirected(console, {Str("BREAKAGE: NFA,NMA"), I32(nfa), I32(nma)});

  // The copy of ni becomes the new last position of the family. Both limits are tested
  // before the store changes, so that a stopped run leaves the family as the copies made so
  // far left it.
  if (std::max(rows_.NDWithCopies(), rows_.Last()) + 1 > kMaxRows) {
    Stop(console, {.kind = StopKind::kLoopCopyRows});
  }
  if (copies_made_ + 1 > kMaxBreaks) Stop(console, {.kind = StopKind::kLoopCopyLimit});

  // With a fresh number the copy changes one parent slot of ia and nothing else of the
  // nuclear-family list, so the list and the peeled set are updated in place; anything else
  // rebuilds them from the rows.
  const bool father_side = ni == nfa;
  const int16_t copy_number = Low16(next_number_);
  const bool in_place =
      ia >= 1 && !peeling_.Peeled(ia) && copy_number != 0 && graph_.HoldsNoSlot(copy_number);
  GiveCopyToChildren(ia, nfa, nma, father_side, copy_number, in_place);
  const int32_t copy_position = AppendCopy(nilc, copy_number);
  if (observer_ != nullptr) ReportCopy(nilc, nfa, nma, copy_position);
  if (in_place) {
    const int32_t parent_slot = father_side ? graph_.FatherSlot(ia) : graph_.MotherSlot(ia);
    const int32_t old_id = graph_.SlotIndividual(parent_slot);
    const int32_t new_id = graph_.ReplaceParent(ia, father_side, copy_number);
    peeling_.ParentReplaced(graph_, ia, old_id, new_id);
    changed_family_ = ia;
  } else {
    BuildGraph();
  }
  resumable_ = in_place;
  return true;
}

std::pair<int32_t, int32_t> StructureAnalysis::ParentsOf(int32_t ia) const {
  if (ia >= 1) return {graph_.Father(ia), graph_.Mother(ia)};
  // IA is 0 only when the start entry finds itself as a child of a family it entered (an
  // individual among its own ancestors). Nuclear family 0's parent slots are then the list
  // slots NPR1+1 and NPR1+2, where the count INP1(1) = NPR1 points.
  const int32_t slot = graph_.NPR1() + 1;
  return {slot <= graph_.TotalSlots() ? graph_.SlotValue(slot) : 0,
          slot + 1 <= graph_.TotalSlots() ? graph_.SlotValue(slot + 1) : 0};
}

void StructureAnalysis::GiveCopyToChildren(int32_t ia, int32_t nfa, int32_t nma, bool father_side,
                                           int16_t copy_number, bool in_place) {
  const int column = father_side ? 2 : 3;
  if (in_place) {
    for (int32_t slot = graph_.MotherSlot(ia) + 1; slot <= graph_.LastSlot(ia); ++slot) {
      rows_.SetParent(graph_.SlotPosition(slot), column, copy_number);
    }
    return;
  }
  for (int32_t position = rows_.First(); position <= rows_.Last(); ++position) {
    if (rows_.Father(position) == nfa && rows_.Mother(position) == nma) {
      rows_.SetParent(position, column, copy_number);
    }
  }
}

int32_t StructureAnalysis::AppendCopy(int32_t nilc, int16_t copy_number) {
  const int32_t copy_position = rows_.AppendCopy(nilc, copy_number);
  ++copies_made_;
  auto& row = ctx_.store.BREAK_IND[copies_made_];
  row[1] = rows_.FamilyNumber(nilc);
  row[2] = copy_number;
  row[3] = rows_.Number(nilc);
  row[4] = rows_.IniId(nilc);
  NoteNumber(copy_position);
  return copy_position;
}

void StructureAnalysis::ReportCopy(int32_t nilc, int32_t nfa, int32_t nma, int32_t copy_position) {
  const auto& row = ctx_.store.BREAK_IND[copies_made_];
  LoopCopyEvent copy;
  copy.family_index = family_index_;
  copy.family = row[1];
  copy.copied = row[3];
  copy.ini_id = row[4];
  copy.father = nfa;
  copy.mother = nma;
  copy.copy = row[2];
  copy.copied_position = nilc;
  copy.father_position = nfa == 0 ? 0 : LastPositionOf(nfa);
  copy.mother_position = nma == 0 ? 0 : LastPositionOf(nma);
  copy.copy_position = copy_position;
  observer_->LoopCopyMade(copy);
}

}  // namespace

void InPlaceSTRYU(StructureContext& ctx, RunObserver* observer) {
  StructureAnalysis analysis(ctx, observer);
  analysis.Run();
}

void STRYU(RunContext& ctx) {
  StructureContext structure(ctx.store, ctx.console);
  InPlaceSTRYU(structure, ctx.observer);
}

}  // namespace pedprep
