#include "structure/stryu.h"

#include "driver/run_context.h"
#include "structure/fast_stryu.h"
#include "structure/reference_stryu.h"

namespace pedprep {

// Mode 0, the mode of every run, has an indexed implementation with the same results;
// modes -1 and 1 keep the straightforward one.
void STRYU(RunContext& ctx, int32_t nmode) {
  if (nmode == 0 && !ctx.reference_stages) {
    FastSTRYU(ctx);
  } else {
    ReferenceSTRYU(ctx, nmode);
  }
}

}  // namespace pedprep
