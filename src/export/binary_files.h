// Segmented binary analysis files PEDIGREE, ID.PE and the marker file; success line and pause.
//
//   PEDIGREE     one record: ND (32-bit), then per position 1..ND: family, individual,
//                father, mother (16-bit each), prob code, sex code (8-bit each).
//   ID.PE        one record: ND (32-bit), then INI_ID(1..ND) (16-bit each).
//   marker file  named by NAME1 without its leading and trailing blanks; two records:
//                ND (32-bit) and IFON(1..ND) (8-bit each); NAZ(1..ND) (8-bit each).
// With ND <= 0 the records hold only ND (the NAZ record is empty).
//
// The files, and ped.dat when the marker merge built it, are written together: all or
// none. A failure is an InputError; nothing is replaced and no success line appears. A run
// that writes no outputs (RunContext::write_outputs) builds none of them, but checks the
// marker file name and writes the success line all the same.
#ifndef PEDPREP_EXPORT_BINARY_FILES_H_
#define PEDPREP_EXPORT_BINARY_FILES_H_

#include <cstdint>

namespace pedprep {

struct ExportState;
struct RunContext;

void UNFORM(RunContext& ctx, const ExportState& exports);

}  // namespace pedprep

#endif  // PEDPREP_EXPORT_BINARY_FILES_H_
