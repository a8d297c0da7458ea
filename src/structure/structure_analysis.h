// The structure analysis: peels every family and breaks each remaining loop by inserting
// copies.
//
// STRYU is the stage's entry point. A normal run uses mode 0, which runs InPlaceSTRYU; the
// peeling-test modes -1 and 1 run RebuildingSTRYU (structure/rebuilding_analysis.h), the
// straightforward form that rebuilds and re-peels the family after every break.
//
// InPlaceSTRYU, built for large loop-rich families, has the same effects as
// RebuildingSTRYU in mode 0: every family is peeled, each remaining loop is found by
// the breadth-first search and broken by giving the children of one nuclear family a copy
// of one parent, until the family peels completely; the same console lines, the same queue
// NINDK/K1/K2, the same store (copies, rewritten parents, ND, INS, BREAK_IND, NBREAK).
//
// Instead of rebuilding and re-peeling the family after every break, it updates the
// nuclear-family list and the peeled set in place (a break only moves one parent slot to a
// new individual), and it inserts the copies of a family into the store in one shift when
// the family is done.
#ifndef PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_
#define PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_

#include <cstdint>

namespace pedprep {

class RunObserver;
struct RunContext;
struct StructureContext;

void STRYU(RunContext& ctx, int32_t nmode);
// `observer` (may be null) is told of each family opened, each copy made and the end.
void InPlaceSTRYU(StructureContext& ctx, RunObserver* observer = nullptr);

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_
