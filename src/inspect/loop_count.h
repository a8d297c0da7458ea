// How many loop-break copies a family needs at least: E - V + C of the graph whose nodes are
// the family's animals and its nuclear families (a father, a mother and all their children)
// and whose edges join each nuclear family to its two parents and to each child. One loop
// break adds a node and no edge, so it lowers this number by one; the family peels only when
// it is 0. A break that cuts the only link between two loops splits the family without
// lowering it, so the analysis may make a few copies more.
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
