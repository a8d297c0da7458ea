// Structure analysis in mode 0, built for large loop-rich families.
//
// Same effects as STRYU(ctx, 0): every family is peeled, each remaining loop is found by
// the breadth-first search and broken by giving the children of one nuclear family a copy
// of one parent, until the family peels completely; the same console lines, the same queue
// NINDK/K1/K2, the same store (copies, rewritten parents, ND, INS, BREAK_IND, NBREAK).
//
// Instead of rebuilding and re-peeling the family after every break, it updates the
// nuclear-family list and the peeled set in place (a break only moves one parent slot to a
// new individual), and it inserts the copies of a family into the store in one shift when
// the family is done.
#ifndef PEDPREP_STRUCTURE_FAST_STRYU_H_
#define PEDPREP_STRUCTURE_FAST_STRYU_H_

namespace pedprep {

struct RunContext;

void FastSTRYU(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_STRUCTURE_FAST_STRYU_H_
