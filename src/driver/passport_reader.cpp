#include "driver/passport_reader.h"

#include "driver/run_context.h"

namespace pedprep {

void ReadPassport(RunContext& ctx) {
  (void)ctx;  // placeholder until the stage is built
}

}  // namespace pedprep
