// Breed blood fractions of every individual (PRACE) and the sum check.
#ifndef PEDPREP_BREED_BLOOD_FRACTIONS_H_
#define PEDPREP_BREED_BLOOD_FRACTIONS_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void FINDBLOOD(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_BREED_BLOOD_FRACTIONS_H_
