#include "reference/reference_stages.h"

#include "core/run_context.h"
#include "reference/blood_fractions_scan.h"
#include "reference/marker_match_scan.h"
#include "reference/rebuilding_analysis.h"
#include "reference/rebuilding_workspace.h"
#include "reference/reconstruction_scan.h"

namespace pedprep {
namespace {

// The run's mode 0: the same effects as the live analysis.
void RebuildingStructureAnalysis(RunContext& ctx) {
  RebuildingContext structure(ctx.store, ctx.console);
  RebuildingSTRYU(structure, 0);
}

}  // namespace

const Stages& ReferenceStages() {
  static constexpr Stages kReference{ReferenceFINDBLOOD, RebuildingStructureAnalysis,
                                     ReferenceRECONSTRUCTION, ReferenceMatchMarkers};
  return kReference;
}

}  // namespace pedprep
