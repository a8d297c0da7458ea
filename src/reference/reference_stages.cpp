#include "reference/reference_stages.h"

#include "core/run_context.h"
#include "reference/blood_fractions_scan.h"
#include "reference/marker_match_scan.h"
#include "reference/reconstruction_scan.h"
#include "structure/rebuilding_analysis.h"
#include "structure/workspace.h"

namespace pedprep {
namespace {

void RebuildingStructureAnalysis(RunContext& ctx, int32_t nmode) {
  StructureContext structure(ctx.store, ctx.console);
  RebuildingSTRYU(structure, nmode);
}

}  // namespace

const Stages& ReferenceStages() {
  static constexpr Stages kReference{ReferenceFINDBLOOD, RebuildingStructureAnalysis,
                                     ReferenceRECONSTRUCTION, ReferenceMatchMarkers};
  return kReference;
}

}  // namespace pedprep
