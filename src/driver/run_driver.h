// The main program's sequence of stages.
#ifndef PEDPREP_DRIVER_RUN_DRIVER_H_
#define PEDPREP_DRIVER_RUN_DRIVER_H_

namespace pedprep {

struct RunContext;

// Runs every stage in order on ctx. Returns the process exit status: 0 for every end
// through the stop (the stop line has been written), 2 for a record-layer input error
// (its report has been written, no stop line).
int RunPedprep(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_RUN_DRIVER_H_
