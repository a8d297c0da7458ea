// The structure analysis: peels every family and breaks each remaining loop by inserting
// copies.
//
// STRYU is the stage's entry point: every family is peeled, each remaining loop is found by
// the breadth-first search (structure/loop_search.h) and broken by giving the children of
// one nuclear family a copy of one parent, until the family peels completely. It writes the
// analysis's console lines, leaves the search's queue NINDK/K1/K2 in StructureContext, and
// changes the store: copies, rewritten parents, ND, INS, BREAK_IND, NBREAK.
//
// Built for large loop-rich families, it does not rebuild and re-peel the family after
// every break: it updates the nuclear-family graph and the peeled set in place (a break
// only moves one parent slot to a new individual), and it inserts the copies of a family
// into the store in one shift when the family is done. The tests prove it equal, line for
// line and table for table, to the straightforward analysis that does rebuild
// (reference/rebuilding_analysis.h).
#ifndef PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_
#define PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_

#include <cstdint>

namespace pedprep {

class RunObserver;
struct RunContext;
struct StructureContext;

void STRYU(RunContext& ctx);
// `observer` (may be null) is told of each family opened, each copy made and the end.
void InPlaceSTRYU(StructureContext& ctx, RunObserver* observer = nullptr);

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_STRUCTURE_ANALYSIS_H_
