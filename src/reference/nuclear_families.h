// Nuclear-family builder: the list of couples of one family with all their common children.
#ifndef PEDPREP_REFERENCE_NUCLEAR_FAMILIES_H_
#define PEDPREP_REFERENCE_NUCLEAR_FAMILIES_H_

#include <cstdint>

namespace pedprep {

struct RebuildingContext;

// Rebuilds INF1/INP1 (and NPR1) from the positions of family `is` of the store.
// A position whose father number is not 0 is a child; children with equal father and equal
// mother numbers form one nuclear family. Nuclear families are numbered in the order of the
// position of their first child, children stand in position order.
void MAKEINFMAS(RebuildingContext& ctx, int32_t is);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_NUCLEAR_FAMILIES_H_
