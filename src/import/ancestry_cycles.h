// Ancestry cycles among the animals of a herd book, found in time linear in the animals and
// their parent links: the strongly connected components of the links from each animal to
// its sire and dam, and one cycle in each component that holds one.
#ifndef PEDPREP_IMPORT_ANCESTRY_CYCLES_H_
#define PEDPREP_IMPORT_ANCESTRY_CYCLES_H_

#include <vector>

namespace pedprep {

// `sire[n]` and `dam[n]` are the parents of animal n (-1: none). Returns one cycle per
// component that holds one (an animal its own parent, or animals each other's ancestors),
// as animals c0, c1, ..., each the offspring of the next and the last the offspring of c0;
// components in the order their search ended, which is no order a caller should rely on.
std::vector<std::vector<int>> AncestryCycles(const std::vector<int>& sire,
                                             const std::vector<int>& dam);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_ANCESTRY_CYCLES_H_
