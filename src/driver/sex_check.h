// Family-by-family numbering, parent-range and sex-role check; sets MM, builds INS.
#ifndef PEDPREP_DRIVER_SEX_CHECK_H_
#define PEDPREP_DRIVER_SEX_CHECK_H_

#include <cstdint>

namespace pedprep {

struct RunContext;

void TESTSEX(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_SEX_CHECK_H_
