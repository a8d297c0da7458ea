#include "breed/findblood.h"

#include "driver/run_context.h"

namespace pedprep {

void FINDBLOOD(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
