#include "export/rewrdat.h"

#include "driver/run_context.h"

namespace pedprep {

void REWRDAT(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
