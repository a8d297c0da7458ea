#include "export/unform.h"

#include "driver/run_context.h"

namespace pedprep {

void UNFORM(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
