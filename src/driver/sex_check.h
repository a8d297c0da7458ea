// Family-by-family numbering, parent-range and sex-role check; sets MM, builds INS.
#ifndef PEDPREP_DRIVER_SEX_CHECK_H_
#define PEDPREP_DRIVER_SEX_CHECK_H_

#include <cstdint>
#include <vector>

#include "core/stop.h"

namespace pedprep {

struct RunContext;

std::vector<PassportFinding> TESTSEX(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_SEX_CHECK_H_
