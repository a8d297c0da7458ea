// Structure analysis: peels every family and breaks each remaining loop by inserting copies.
#ifndef PEDPREP_STRUCTURE_STRYU_H_
#define PEDPREP_STRUCTURE_STRYU_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void STRYU(RunContext& ctx, int32_t nmode);

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_STRYU_H_
