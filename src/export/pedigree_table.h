// Marker merge, ped.dat and the store update for the binary export; ends with UNFORM.
//
// DEF.DAT: five records; record 2 (A20) is NAME1, the marker file name; record 5 (I2) is
// ITR, which of the values of a marker record to take (1..20). database/markers.dat: a
// header "I5,20I3" with N, NTR, MAR(1..NTR), then N marker records "20I5" with KOD and
// MAR(1..NTR) (with NTR = 20 a record continues in columns 1-5 of the next line). ITR
// outside 1..20 or NTR outside 0..20 writes " ERROR: wrong marker definition " and pauses
// and stops.
//
// ped.dat (CR LF records): ND ("20I5"); nine 20-character headings ("A20"): "family
// number", "individual number", "father`s number", "mother`s number", "prob", "sex",
// "ini_id", the marker name (NAME1 up to its first ".", zero bytes after), "nation"; the 30
// characters "(20i5)" and 24 zero bytes; then one "20I5" record per position with family,
// individual, father, mother, prob code, sex, INI_ID, marker value, nation code.
// Prob code: 1 for a loop-break copy (breed 100), a parent copy (breed 200) or a matched
// individual of nation code 2; otherwise 2.
//
// Store update for the binary export: breed code := prob code, IFON := marker value and
// NAZ(position) := nation code (low 8 bits, signed). The ped.dat bytes are kept in the
// export state and written by UNFORM with the binary files (neither is built when the run
// writes no outputs, RunContext::write_outputs).
#ifndef PEDPREP_EXPORT_PEDIGREE_TABLE_H_
#define PEDPREP_EXPORT_PEDIGREE_TABLE_H_

#include <cstdint>

#include "export/marker_match.h"

namespace pedprep {

struct ExportState;
struct RunContext;

// `match_markers` attaches the marker records (a normal run: MatchMarkers). Fills `exports`
// (NAME1, NAZ by position, the ped.dat bytes) and hands it to UNFORM.
void REWRDAT(RunContext& ctx, ExportState& exports, MarkerMatcher match_markers);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_PEDIGREE_TABLE_H_
