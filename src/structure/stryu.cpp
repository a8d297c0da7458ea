#include "structure/stryu.h"

#include "driver/run_context.h"

namespace pedprep {

void STRYU(RunContext& ctx, int32_t nmode) {
  (void)ctx;  // placeholder until the stage is built
  (void)nmode;
}

}  // namespace pedprep
