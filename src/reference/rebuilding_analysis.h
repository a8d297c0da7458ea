// The structure-analysis stage in its straightforward form: linear scans everywhere and a
// fresh analysis of the family after every loop break.
#ifndef PEDPREP_REFERENCE_REBUILDING_ANALYSIS_H_
#define PEDPREP_REFERENCE_REBUILDING_ANALYSIS_H_

#include <cstdint>

namespace pedprep {

struct RebuildingContext;

// One analysis pass of family IS: rebuilds its nuclear families and peels them; when
// something is left, marks the free slots, searches a loop and breaks it. Returns true when
// the family peeled completely (IALL = 1), false after a loop break changed the store.
bool AnalyseFamilyPass(RebuildingContext& ctx, int32_t nmode);

// For every family in turn runs analysis passes until the family peels completely; then
// sets NBREAK to the number of copies made. nmode -1, 0 or 1 (see FINDPEELABLE, BreakLoop).
void RebuildingSTRYU(RebuildingContext& ctx, int32_t nmode);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_REBUILDING_ANALYSIS_H_
