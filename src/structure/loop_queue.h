// The loop-search queue and what the structure analysis works on.
//
// The queue is 1-based: NINDK[k][1] is the individual of entry k, NINDK[k][2] the nuclear
// family it arrived through (0 for the start); K1 is the entry being expanded, K2 the last
// entry. It keeps its fixed 24096 entries: a search that needs more stops the run. K1, K2
// and NINDK keep their values after the analysis ends, so its diagnostics and tests can read
// them.
#ifndef PEDPREP_STRUCTURE_LOOP_QUEUE_H_
#define PEDPREP_STRUCTURE_LOOP_QUEUE_H_

#include <array>
#include <cstdint>
#include <vector>

#include "core/pedigree_store.h"
#include "records/console.h"

namespace pedprep {

inline constexpr int kQueueEntries = 24096;

struct LoopQueue {
  LoopQueue() : NINDK(kQueueEntries + 1, {0, 0, 0}) {}
  LoopQueue(const LoopQueue&) = delete;
  LoopQueue& operator=(const LoopQueue&) = delete;

  // NINDK[k][1] individual, [k][2] arrival nuclear family; entries 1..24096.
  std::vector<std::array<int32_t, 3>> NINDK;
  int32_t K1 = 0;
  int32_t K2 = 0;
};

// What the structure analysis works on: the run's store and console, and its queue.
struct StructureContext {
  StructureContext(PedigreeStore& store_in, Console& console_in)
      : store(store_in), console(console_in) {}
  StructureContext(const StructureContext&) = delete;
  StructureContext& operator=(const StructureContext&) = delete;

  PedigreeStore& store;
  Console& console;
  LoopQueue queue;
};

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_LOOP_QUEUE_H_
