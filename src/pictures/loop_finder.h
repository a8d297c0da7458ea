// The loop a loop-break copy breaks: one shortest cycle of animals and matings through the
// copied animal and the mating whose children received the copy, found in the family as it
// was just before that copy was made.
#ifndef PEDPREP_PICTURES_LOOP_FINDER_H_
#define PEDPREP_PICTURES_LOOP_FINDER_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "reading/family_view.h"

namespace pedprep {

struct ObservedRun;

// One step of a loop: an animal (`mating` false: `number`, `ini_id`) or a mating (`father`,
// `mother`, their ini_ids; 0 = unknown). Numbers are the store's.
struct LoopStep {
  bool mating = false;
  int32_t number = 0;
  int32_t ini_id = 0;
  int32_t father = 0;
  int32_t mother = 0;
  int32_t father_ini_id = 0;
  int32_t mother_ini_id = 0;
};

// The loop broken by the loop-break copy at store position `copy_position`, as a closed walk
// that starts at the copied animal and ends at the mating whose children received the copy
// (each step adjacent to the next, the last to the first). Empty, with `problem` set, when
// the position holds no loop-break copy or no such loop is found.
std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::string* problem);
// The same, reusing the families built by earlier calls: `views` holds them by family index
// and gains the one built here.
std::vector<LoopStep> BrokenLoop(const ObservedRun& run, int32_t copy_position,
                                 std::map<int, FamilyView>* views, std::string* problem);

// The number of steps of the loop that the copy at each of `positions` breaks, as
// BrokenLoop(run, position, ...).size() (0 when none is found), in the same order; on two
// threads when there are many.
std::vector<std::size_t> BrokenLoopSizes(const ObservedRun& run,
                                         const std::vector<int32_t>& positions);

// The same for loop-break copy `which` (an index of view.loop_copies), in the family as it
// was before that copy was made: the copies made before it stand as founders, it and the
// later ones are replaced by their originals, parent copies do not exist yet.
std::vector<LoopStep> LoopOfCopy(const FamilyView& view, std::size_t which, std::string* problem);

// The children that received loop-break copy `copy` and are not on its loop `steps`.
std::vector<const Node*> LoopChildren(const FamilyView& view, const std::vector<LoopStep>& steps,
                                      const Node& copy);

// What a loop picture shows of each mating point's children besides the loop and the
// children that received the copy: for a mating point with none of its children drawn, its
// first child; and per mating point, how many of its children stay undrawn. Matings are
// (father, mother) of the steps; children are those of the pedigree as read.
struct LoopMatingChildren {
  std::vector<std::pair<std::pair<int32_t, int32_t>, const Node*>> first;
  std::vector<std::pair<std::pair<int32_t, int32_t>, std::size_t>> undrawn;
};
LoopMatingChildren ChildrenAtMatings(const FamilyView& view, const std::vector<LoopStep>& steps,
                                     const Node& copy);

}  // namespace pedprep

#endif  // PEDPREP_PICTURES_LOOP_FINDER_H_
