// Breadth-first loop search over the unpeeled nuclear families of one family.
//
// The queue is LoopQueue's NINDK/K1/K2 (entry = individual number, arrival nuclear
// family). Expanding entry K1 scans, in increasing nuclear-family order and skipping peeled
// families and the arrival family:
//   A. families with the individual in the father or mother slot: a family already
//      entered through its father slot is a loop (IA = that family); otherwise the other
//      parent and the non-free children are appended, and entering through the father
//      slot marks the family entered;
//   B. the first family with the individual in a child slot: if it was entered through its
//      father slot the loop is at the arrival family; otherwise its father, mother and
//      non-free siblings are appended and scan B ends.
// Occurrence lists of the graph give these scans without looking at other families. Queue
// overflows and an exhausted queue write their messages and stop the run.
#ifndef PEDPREP_STRUCTURE_LOOP_SEARCH_H_
#define PEDPREP_STRUCTURE_LOOP_SEARCH_H_

#include <cstdint>
#include <limits>
#include <vector>

#include "structure/family_graph.h"
#include "structure/peeling.h"

namespace pedprep {

class Console;
struct LoopQueue;

struct LoopAt {
  int32_t ni = 0;  // the individual whose expansion met the loop
  int32_t ia = 0;  // the nuclear family where the loop is to be broken
};

class LoopSearch {
 public:
  LoopSearch(Console& console, LoopQueue& queue) : console_(console), queue_(queue) {}
  LoopSearch(const LoopSearch&) = delete;
  LoopSearch& operator=(const LoopSearch&) = delete;

  // A new search from the father of nuclear family `start`: K1 = K2 = 1, entry 1 =
  // (father, 0), no family entered yet.
  void Start(const FamilyGraph& graph, int32_t start);

  // Expands entries from K1 on until an expansion meets a loop and returns it (K1 stays at
  // that entry). An exhausted queue writes the diagnostic block and stops the run. Drops
  // peeled families from the occurrence lists it reads (peeling is never undone).
  LoopAt FindLoop(FamilyGraph& graph, const Peeling& peeling);

  static constexpr int32_t kNever = std::numeric_limits<int32_t>::max();
  // The nuclear family the current search started from.
  int32_t start() const { return start_; }
  // The first expansion (queue index) of the current search that read nuclear family k
  // (its peeled state, its slots or the marks of its children); kNever if none did.
  int32_t FirstRead(int32_t k) const;
  // The first expansion of the current search after which console lines were written (a
  // loop at an individual that is no parent of the family); kNever if none.
  int32_t FirstConsoleLines() const { return first_console_lines_; }
  void NoteConsoleLines(int32_t k1) {
    if (k1 < first_console_lines_) first_console_lines_ = k1;
  }
  // Goes on as a new search from the same start would, given that the expansions before
  // `from` (2 <= from <= K1) read nothing that has changed and wrote no console line: they
  // would append the same entries again. Sets K1 = from and K2 to its value before that
  // expansion, and forgets what the later expansions read and entered.
  void Resume(int32_t from);

 private:
  // Expands entry K1; returns true when it met a loop.
  bool Expand(FamilyGraph& graph, const Peeling& peeling, LoopAt* loop);
  // Appends (the number of individual id, family).
  void Append(const FamilyGraph& graph, int32_t id, int32_t family, int32_t overflow);
  void AppendJoiningChildren(const FamilyGraph& graph, const Peeling& peeling, int32_t k,
                             int32_t from_slot, int32_t to_slot, int32_t overflow);
  bool Entered(int32_t k) const { return entered_[k] == pass_; }
  void Enter(int32_t k, int32_t k1);
  void Read(int32_t k, int32_t k1) {
    if (read_[k] == pass_) return;
    read_[k] = pass_;
    first_read_[k] = k1;
    read_log_.push_back(k);
  }
  [[noreturn]] void Exhausted();

  Console& console_;
  LoopQueue& queue_;
  std::vector<uint32_t> entered_;   // per nuclear family: pass_ when entered via father slot
  std::vector<int32_t> queue_ids_;  // individual id of each queue entry
  std::vector<int32_t> k2_before_;  // K2 before the expansion of each queue entry
  // Per nuclear family: the expansion that entered it, and the first that read it (valid
  // while entered_ / read_ equal pass_). The logs list them in expansion order.
  std::vector<int32_t> entered_at_;
  std::vector<int32_t> entered_log_;
  std::vector<uint32_t> read_;
  std::vector<int32_t> first_read_;
  std::vector<int32_t> read_log_;
  int32_t start_ = 0;
  int32_t first_console_lines_ = kNever;
  uint32_t pass_ = 0;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_LOOP_SEARCH_H_
