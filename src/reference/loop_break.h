// Loop break: gives the children of nuclear family IA a copy of their parent NI, inserted
// as a new last position of the family under analysis.
#ifndef PEDPREP_REFERENCE_LOOP_BREAK_H_
#define PEDPREP_REFERENCE_LOOP_BREAK_H_

#include <cstdint>

namespace pedprep {

struct RebuildingContext;

enum class BreakOutcome {
  kStoreChanged,  // copies inserted; the family must be analysed again
  kNotAParent,    // NI is not a parent of IA; K1 advanced to the next queue entry
};

// Breaks the loop at individual NI in nuclear family IA of family IS (workspace scalars).
// Console: a line with NI; a line with the copy-list count and positions; then either
// "(NI.NE.NFA.AND.NI.NE.NMA)" with NI, NFA, NMA, IA, or "BREAKAGE: NFA,NMA" with NFA, NMA.
// Every copy: breed code 100, the family number, IFON, INI_ID, sex and breed fractions of
// the copied individual, individual number MAXN, a row of BREAK_IND; later positions and
// family bounds move up by one. nmode -1 copies NI's whole sibship (parents first), the
// copied children get the copied parents.
// Stops the run: "ERROR: (K1.GT.K2) 2" when NI is not a parent and the queue is exhausted;
// " ERROR: individual not found" when an individual to copy stands at no position of the
// family; " ERROR: max. sample size is N4096 " when a copy would take ND above 24096;
// " ERROR: max. number of loop breaks is 4096 " for the 4097th copy of the run.
BreakOutcome BreakLoop(RebuildingContext& ctx, int32_t nmode);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_LOOP_BREAK_H_
