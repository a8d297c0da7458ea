// Free marks of the nuclear-family slots after peeling.
#ifndef PEDPREP_REFERENCE_FREE_SLOTS_H_
#define PEDPREP_REFERENCE_FREE_SLOTS_H_

namespace pedprep {

struct RebuildingContext;

// Sets NPR1 = INP1(1) and ININF1(i) for every slot i of the list: 0 when the slot belongs to
// an unpeeled nuclear family and its individual stands in another unpeeled nuclear family,
// 1 (free) otherwise.
void MARKFREEKP(RebuildingContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_FREE_SLOTS_H_
