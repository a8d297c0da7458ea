#include "driver/run_driver.h"

#include "breed/blood_fractions.h"
#include "breed/renumbering.h"
#include "core/run_context.h"
#include "driver/passport_reader.h"
#include "driver/sex_check.h"
#include "export/export_state.h"
#include "export/marker_match.h"
#include "export/pedigree_table.h"
#include "export/reconstruction.h"
#include "records/console.h"
#include "records/input_error.h"
#include "records/layout.h"
#include "structure/structure_analysis.h"

namespace pedprep {

namespace {

// The sex check's verdict: any error in any family ends the run before the first stage
// that relies on a sound pedigree.
void ErrorVerdict(RunContext& ctx, std::vector<PassportFinding> findings) {
  if (ctx.store.MM == 0) return;
  PauseAndStop(ctx, {.kind = StopKind::kPassportErrors, .findings = std::move(findings)});
}

void RunStages(RunContext& ctx, const Stages& stages) {
  ReadPassport(ctx);
  ErrorVerdict(ctx, TESTSEX(ctx));
  if (ctx.observer != nullptr) ctx.observer->PedigreeRead(ctx.store);
  stages.blood_fractions(ctx);
  stages.structure_analysis(ctx);
  RENUM(ctx);
  ExportState exports;
  stages.reconstruction(ctx, exports);
  REWRDAT(ctx, exports, stages.match_markers);
}

}  // namespace

const Stages& ProductStages() {
  static constexpr Stages kProduct{FINDBLOOD, STRYU, RECONSTRUCTION, MatchMarkers};
  return kProduct;
}

int RunPedprep(RunContext& ctx, const Stages& stages) {
  try {
    RunStages(ctx, stages);
  } catch (const RunStopped& stop) {
    // A stage ended the run early; it has written its message (and paused if it should).
    ctx.console.WriteLine(kStopLine);
    if (ctx.observer != nullptr) ctx.observer->Stopped(stop.reason);
    return kExitStopped;
  } catch (const InputError& error) {
    ctx.console.WriteLine(error.Report());
    if (ctx.observer != nullptr) ctx.observer->InputFailed(error);
    return kExitInputError;
  }
  // Every stage returned: the last one wrote the outputs and the success line.
  ctx.console.WriteLine(kStopLine);
  return kExitSuccess;
}

}  // namespace pedprep
