// Nation codes from database/pedigree.dat and parent copies for selected copies.
//
// A row is selected when its breed code is 100 (loop-break copy) or 200 (parent copy) and
// its database individual has nation code 9. A selected row gets two new rows at the end
// of its family as father and mother: copies (breed code 200, no parents) of the father and
// mother of its source individual. The new rows are scanned in turn, so the rebuilding
// climbs as long as the copied parents carry nation code 9.
//
// Source of a selected row with individual number IN in family number F:
//   breed 100: the first BREAK_IND row (1..NBREAK) with columns (F, IN); its column 3.
//   breed 200: the number of the first row of the family, among the rows it had when its
//              scan began, with the same INI_ID.
// The source's parents are those of the last row of the family carrying the source number.
// A missing BREAK_IND row or source row stops the run without a message. A source with an
// unknown parent (or a parent number outside the family) gets no copies. A store that
// would grow past 24096 rows stops the run with " ERROR: max. sample size is N4096 ".
// An empty store stays empty.
#ifndef PEDPREP_EXPORT_RECONSTRUCTION_H_
#define PEDPREP_EXPORT_RECONSTRUCTION_H_

#include <cstdint>

namespace pedprep {

struct ExportState;
struct PedigreeStore;
struct RunContext;

inline constexpr int kSelectedNation = 9;

void RECONSTRUCTION(RunContext& ctx, ExportState& exports);

// Reads database/pedigree.dat: record 1 holds NDAT in columns 1-5; record 1+i holds the
// fields of database individual i in 5-column fields, of which the first six are read and
// field 5 (columns 21-25) is the nation code, which must lie in -127..127 (else an
// InputError). NAZ(i) = the code for i = 1..min(NDAT, 32767); later records are read and
// checked, then ignored.
void ReadNationCodes(RunContext& ctx, ExportState& exports);

// True when the row's breed code marks a copy and its database individual has code 9.
bool IsSelectedForReconstruction(const PedigreeStore& store, const ExportState& exports, int row);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_RECONSTRUCTION_H_
