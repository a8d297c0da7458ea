// Peeling test: takes the nuclear-family graph of the family under analysis apart by
// removing nuclear families that hang on the rest by a single individual.
#ifndef PEDPREP_REFERENCE_PEELABLE_FAMILIES_H_
#define PEDPREP_REFERENCE_PEELABLE_FAMILIES_H_

#include <cstdint>

namespace pedprep {

struct RebuildingContext;

// Reads INF1/INP1; sets LUK1(1..NPR1) (1 = peeled) and IALL (1 = everything peeled).
// nmode -1 and 0: single-link rule only. nmode 1: alternates with the inner-cross rule
// (a nuclear family peeled together with the matings among its own members) and ends with
// the back-link pass that writes LBACK. Any other nmode writes " INCORRECT MODE" and stops
// the run; a nuclear family of more than 300 children met by the inner-cross rule writes
// " Error: icros overflow. More then 300 kids." and stops the run.
void FINDPEELABLE(RebuildingContext& ctx, int32_t nmode);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_PEELABLE_FAMILIES_H_
