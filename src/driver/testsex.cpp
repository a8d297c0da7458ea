#include "driver/testsex.h"

#include "driver/run_context.h"

namespace pedprep {

void TESTSEX(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
