#include "structure/loop_search.h"

#include <algorithm>

#include "core/stop.h"
#include "records/console.h"
#include "records/layout.h"
#include "structure/loop_queue.h"

namespace pedprep {
namespace {

// Which append met the full queue (the number of its overflow message).
constexpr int32_t kOverflowParentA = 1;
constexpr int32_t kOverflowChildA = 2;
constexpr int32_t kOverflowEarlyB = 3;
constexpr int32_t kOverflowLateB = 4;

// Integers per diagnostic record; longer lists continue on records whose text field is
// blank.
constexpr std::size_t kDiagnosticFields = 4096;

void WriteDiagnosticRecords(Console& console, const char* label,
                            const std::vector<int32_t>& numbers) {
  static const Layout layout = Layout::Parse("A15,4096I5");
  std::size_t next = 0;
  bool first = true;
  do {
    OutList values;
    values.push_back(Str(first ? label : ""));
    std::size_t end = std::min(numbers.size(), next + kDiagnosticFields);
    for (; next < end; ++next) values.push_back(I32(numbers[next]));
    WriteFormatted(console, layout, values);
    first = false;
  } while (next < numbers.size());
}

}  // namespace

void LoopSearch::Start(const FamilyGraph& graph, int32_t start) {
  const std::size_t families = static_cast<std::size_t>(graph.NPR1()) + 1;
  if (entered_.size() < families) {
    entered_.resize(families, 0);
    entered_at_.resize(families, 0);
    read_.resize(families, 0);
    first_read_.resize(families, 0);
  }
  if (queue_ids_.empty()) {
    queue_ids_.assign(kQueueEntries + 1, 0);
    k2_before_.assign(kQueueEntries + 2, 0);
  }
  ++pass_;
  entered_log_.clear();
  read_log_.clear();
  start_ = start;
  first_console_lines_ = kNever;
  queue_ids_[1] = graph.SlotIndividual(graph.FatherSlot(start));
  queue_.K1 = 1;
  queue_.K2 = 1;
  queue_.NINDK[1][1] = graph.Father(start);
  queue_.NINDK[1][2] = 0;
}

int32_t LoopSearch::FirstRead(int32_t k) const {
  return k >= 1 && static_cast<std::size_t>(k) < read_.size() && read_[k] == pass_ ? first_read_[k]
                                                                                   : kNever;
}

void LoopSearch::Resume(int32_t from) {
  queue_.K1 = from;
  queue_.K2 = k2_before_[from];
  while (!read_log_.empty() && first_read_[read_log_.back()] >= from) {
    read_[read_log_.back()] = 0;
    read_log_.pop_back();
  }
  while (!entered_log_.empty() && entered_at_[entered_log_.back()] >= from) {
    entered_[entered_log_.back()] = 0;
    entered_log_.pop_back();
  }
  if (first_console_lines_ >= from) first_console_lines_ = kNever;
}

void LoopSearch::Enter(int32_t k, int32_t k1) {
  entered_[k] = pass_;
  entered_at_[k] = k1;
  entered_log_.push_back(k);
}

LoopAt LoopSearch::FindLoop(FamilyGraph& graph, const Peeling& peeling) {
  LoopAt loop;
  while (!Expand(graph, peeling, &loop)) {
    ++queue_.K1;
    if (queue_.K1 > queue_.K2) Exhausted();
  }
  return loop;
}

void LoopSearch::Append(const FamilyGraph& graph, int32_t id, int32_t family, int32_t overflow) {
  if (queue_.K2 >= kQueueEntries) {
    Stop(console_, {.kind = StopKind::kQueueOverflow, .count = overflow});
  }
  ++queue_.K2;
  queue_ids_[queue_.K2] = id;
  queue_.NINDK[queue_.K2][1] = graph.ValueOf(id);
  queue_.NINDK[queue_.K2][2] = family;
}

void LoopSearch::AppendJoiningChildren(const FamilyGraph& graph, const Peeling& peeling, int32_t k,
                                       int32_t from_slot, int32_t to_slot, int32_t overflow) {
  for (int32_t slot = from_slot; slot <= to_slot; ++slot) {
    const int32_t id = graph.SlotIndividual(slot);
    if (peeling.Joins(id)) Append(graph, id, k, overflow);
  }
}

bool LoopSearch::Expand(FamilyGraph& graph, const Peeling& peeling, LoopAt* loop) {
  const int32_t k1 = queue_.K1;
  const int32_t ni = queue_.NINDK[k1][1];
  const int32_t arrival = queue_.NINDK[k1][2];
  const int32_t id = queue_ids_[k1];
  k2_before_[k1] = queue_.K2;
  bool met = false;
  int32_t ia = 0;
  // Scan A: ni as a parent.
  std::vector<ParentOccurrence>& parents = graph.MutableParentOccurrences(id);
  std::size_t kept = 0;
  for (std::size_t r = 0; r < parents.size(); ++r) {
    const ParentOccurrence occurrence = parents[r];
    const int32_t j = occurrence.family;
    if (peeling.Peeled(j)) continue;
    parents[kept++] = occurrence;
    Read(j, k1);
    if (j == arrival) continue;
    const int32_t father_slot = graph.FatherSlot(j);
    if (occurrence.father) {
      if (Entered(j)) {
        met = true;
        ia = j;
        continue;
      }
      Append(graph, graph.SlotIndividual(father_slot + 1), j, kOverflowParentA);
      Enter(j, k1);
      AppendJoiningChildren(graph, peeling, j, father_slot + 2, graph.LastSlot(j), kOverflowChildA);
    }
    if (occurrence.mother) {
      if (Entered(j)) {
        met = true;
        ia = j;
        continue;
      }
      Append(graph, graph.SlotIndividual(father_slot), j, kOverflowParentA);
      AppendJoiningChildren(graph, peeling, j, father_slot + 2, graph.LastSlot(j), kOverflowChildA);
    }
  }
  parents.resize(kept);
  // Scan B: ni as a child; ends after the first family that is not yet entered.
  for (const ChildOccurrence& occurrence : graph.ChildOccurrences(id)) {
    const int32_t j = occurrence.family;
    Read(j, k1);
    if (peeling.Peeled(j) || j == arrival) continue;
    if (Entered(j)) {
      met = true;
      ia = arrival;
      continue;
    }
    const int32_t father_slot = graph.FatherSlot(j);
    Append(graph, graph.SlotIndividual(father_slot), j, kOverflowEarlyB);
    Append(graph, graph.SlotIndividual(father_slot + 1), j, kOverflowEarlyB);
    AppendJoiningChildren(graph, peeling, j, father_slot + 2, occurrence.slot - 1, kOverflowEarlyB);
    AppendJoiningChildren(graph, peeling, j, occurrence.slot + 1, graph.LastSlot(j),
                          kOverflowLateB);
    break;
  }
  loop->ni = ni;
  loop->ia = ia;
  return met;
}

void LoopSearch::Exhausted() {
  const LoopQueue& ws = queue_;
  auto entry = [&](int32_t k, int column) {
    return k >= 1 && k <= kQueueEntries ? ws.NINDK[k][column] : 0;
  };
  Stop(console_, {.kind = StopKind::kSearchExhausted}, [&] {
    WriteListDirected(console_, {Str("K1,K2"), I32(ws.K1), I32(ws.K2)});
    // The search met no loop, so IVIS and IA are 0; nuclear family 0 has no back-link.
    WriteDiagnosticRecords(console_, "NI1,2,IV,LBA", {entry(ws.K1, 1), entry(ws.K1, 2), 0, 0, 0});
    std::vector<int32_t> individuals, arrivals;
    for (int32_t k = 1; k <= ws.K2; ++k) {
      individuals.push_back(entry(k, 1));
      arrivals.push_back(entry(k, 2));
    }
    WriteDiagnosticRecords(console_, "NINDK1:", individuals);
    WriteDiagnosticRecords(console_, "NINDK2:", arrivals);
  });
}

}  // namespace pedprep
