// Steps shared by both blood-fraction computations (the indexed production one and the
// literal family-scan one): founders, the unresolved report and the sum check.
#ifndef PEDPREP_BREED_BLOOD_STEPS_H_
#define PEDPREP_BREED_BLOOD_STEPS_H_

#include <cstdint>
#include <vector>

#include "breed/family_ranges.h"

namespace pedprep {

struct PedigreeStore;
struct RunContext;

// Clears PRACE(i, 1..breed columns) for i = 1..ND and marks founders: an individual with a
// non-zero breed code b is known (known[i] = 1); for b = 1..10 PRACE(i,b) = 1.0, also when b
// lies above NRAC. Codes above 10 (copy codes 100, 200, ...) have no column and set none.
// known has ND+1 entries afterwards.
void SetFounderFractions(PedigreeStore& store, std::vector<int32_t>& known);

// Child fractions: PRACE(child,k) = (PRACE(mother,k) + PRACE(father,k)) / 2.0 per column.
void SetChildFractions(PedigreeStore& store, int child, int father, int mother);

// Writes " BLOOD CAN NOT BE FOUND IN DATA LINE", i for every family position i still
// unknown, in position order, and stops the run.
[[noreturn]] void StopForUnresolvedBlood(RunContext& ctx,
                                         const std::vector<PositionRange>& families,
                                         const std::vector<int32_t>& known);

// Writes " BLOOD SUMMED <> 1 IN DATA LINE", i for every position i = 1..ND whose fractions,
// added in column order in double, differ from 1 by more than the float 0.001 widened to
// double. A difference exactly at that tolerance passes.
void CheckBloodSums(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_BREED_BLOOD_STEPS_H_
