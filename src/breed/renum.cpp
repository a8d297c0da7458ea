#include "breed/renum.h"

#include "driver/run_context.h"

namespace pedprep {

void RENUM(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
