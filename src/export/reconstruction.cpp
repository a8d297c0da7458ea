#include "export/reconstruction.h"

#include "driver/run_context.h"

namespace pedprep {

void RECONSTRUCTION(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
