// The families a stage walks, as position ranges taken from the family index INS.
#ifndef PEDPREP_BREED_FAMILY_RANGES_H_
#define PEDPREP_BREED_FAMILY_RANGES_H_

#include <vector>

namespace pedprep {

struct PedigreeStore;

// Positions first..last of one family (empty when first > last).
struct PositionRange {
  int first;
  int last;
};

// The families of INS(1..NS+2), each cut to the positions 1..ND that no earlier family
// holds. For an INS built by CRTINS over positions 1..ND this is exactly the index; the cut
// only keeps an inconsistent index (or ND = 0, where CRTINS still opens family 1 at
// position 1) from reaching outside the individuals or visiting a position twice.
std::vector<PositionRange> FamilyRanges(const PedigreeStore& store);

}  // namespace pedprep

#endif  // PEDPREP_BREED_FAMILY_RANGES_H_
