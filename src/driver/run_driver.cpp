#include "driver/run_driver.h"

#include "breed/findblood.h"
#include "breed/renum.h"
#include "driver/passport_reader.h"
#include "driver/run_context.h"
#include "driver/testsex.h"
#include "export/reconstruction.h"
#include "export/rewrdat.h"
#include "records/console.h"
#include "records/input_error.h"
#include "records/layout.h"
#include "structure/stryu.h"

namespace pedprep {

namespace {

// The sex check's verdict: any error in any family ends the run before the first stage
// that relies on a sound pedigree.
void ErrorVerdict(RunContext& ctx) {
  if (ctx.store.MM == 0) return;
  WriteFormatted(ctx.console,
                 Layout::Parse("' ERRORS are present in pasport data',/,"
                               "' Stop program; nessesery correct errors',/,"
                               "' **************************************'"),
                 {});
  PauseAndStop(ctx);
}

void RunStages(RunContext& ctx) {
  ReadPassport(ctx);
  TESTSEX(ctx);
  ErrorVerdict(ctx);
  FINDBLOOD(ctx);
  const int32_t nmode = 0;
  STRYU(ctx, nmode);
  RENUM(ctx);
  RECONSTRUCTION(ctx);
  REWRDAT(ctx);
}

}  // namespace

int RunPedprep(RunContext& ctx) {
  try {
    RunStages(ctx);
  } catch (const RunStopped&) {
    // A stage ended the run early; it has written its message (and paused if it should).
  } catch (const InputError& error) {
    ctx.console.WriteLine(error.Report());
    return 2;
  }
  ctx.console.WriteLine(kStopLine);
  return 0;
}

}  // namespace pedprep
