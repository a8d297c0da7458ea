// Family-by-family numbering, parent-range and sex-role check; sets MM, builds INS.
#ifndef PEDPREP_DRIVER_TESTSEX_H_
#define PEDPREP_DRIVER_TESTSEX_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void TESTSEX(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_TESTSEX_H_
