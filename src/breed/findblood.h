// Breed blood fractions of every individual (PRACE) and the sum check.
#ifndef PEDPREP_BREED_FINDBLOOD_H_
#define PEDPREP_BREED_FINDBLOOD_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void FINDBLOOD(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_BREED_FINDBLOOD_H_
