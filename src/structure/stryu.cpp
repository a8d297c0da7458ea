#include "structure/stryu.h"

#include "structure/reference_stryu.h"

namespace pedprep {

void STRYU(RunContext& ctx, int32_t nmode) { ReferenceSTRYU(ctx, nmode); }

}  // namespace pedprep
