// The loop count (core/loop_count.h) of each family of a run's store.
#ifndef PEDPREP_INSPECT_LOOP_COUNT_H_
#define PEDPREP_INSPECT_LOOP_COUNT_H_

#include <cstdint>
#include <vector>

namespace pedprep {

struct PedigreeStore;

// For each family s = 1..NS of `store` as read (before any copy), at index s - 1.
std::vector<int32_t> LoopCountsByFamily(const PedigreeStore& store);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_LOOP_COUNT_H_
