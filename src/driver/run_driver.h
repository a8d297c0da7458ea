// The main program's sequence of stages.
#ifndef PEDPREP_DRIVER_RUN_DRIVER_H_
#define PEDPREP_DRIVER_RUN_DRIVER_H_

#include <cstdint>

#include "core/exit_status.h"
#include "export/marker_match.h"

namespace pedprep {

struct ExportState;
struct RunContext;

// The stages that have more than one implementation. Every implementation of a slot has the
// same effects (store, console text, files); they differ only in speed.
struct Stages {
  void (*blood_fractions)(RunContext& ctx);                       // FINDBLOOD
  void (*structure_analysis)(RunContext& ctx);                    // STRYU
  void (*reconstruction)(RunContext& ctx, ExportState& exports);  // RECONSTRUCTION
  MarkerMatcher match_markers;  // the marker matching inside REWRDAT
};

// The stages of a normal run: the indexed implementations.
const Stages& ProductStages();

// Runs every stage in order on ctx and writes the stop line, except after a record-layer
// input error (its report has been written instead). Returns the exit status above: only a
// run that wrote its outputs returns kExitSuccess. A failed run leaves the files of an
// earlier run as they were.
int RunPedprep(RunContext& ctx, const Stages& stages = ProductStages());

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_RUN_DRIVER_H_
