// `pedprep show`: the prepared pedigree read back from the analysis files, checked, as one
// table.
//
// Reads through `folder`:
//   DEF.DAT      record 2 (A20): the marker file name, used without leading and trailing
//                blanks; a name the run refuses (core/run_files.h) is an input
//                error.
//   PEDIGREE     one record: ND (32-bit), then per position family, individual, father,
//                mother (16-bit each), prob code, sex code (8-bit each): 4 + 10 ND bytes.
//   ID.PE        one record: ND (32-bit), then the initial identifiers (16-bit): 4 + 2 ND.
//   marker file  two records: ND (32-bit) and the marker values (8-bit): 4 + ND bytes; the
//                nation codes (8-bit): ND bytes.
//   ped.dat      text: ND, nine headings, the format record, then one row per position of
//                family, individual, father, mother, prob, sex, ini_id, marker, nation.
//   ids.csv      optional: header naming at least the columns ini_id and id, one row per
//                animal of the passport file. Rows of the table are matched to it by ini_id
//                (positions change when the run inserts copies; a copy keeps the initial
//                identifier of its original and so shows the original's id).
// A negative ND counts as 0 rows, as the writer treats it.
//
// Checks: the segment framing of each binary file, the number of records and their sizes
// against the file's own ND, the same ND in all three binary files and in ped.dat, ped.dat's
// headings (the marker's: DEF.DAT record 2 up to its first ".", zero bytes after) and format
// record, every ped.dat row equal to the binary row of its position (its first nine fields;
// prob, sex, marker and nation compared on their low 8 bits, the width the binary files
// hold), nothing after the last ped.dat row, and ids.csv well formed with each ini_id at
// most once.
//
// Output on success: a header and one line per position on `out`. Aligned: columns
// right-aligned to their widest entry, two blanks apart, the id column last and left as
// it is (control bytes shown as \xNN). CSV: RFC 4180 records ending in CR LF, header
// position,family,individual,father,mother,prob,sex,ini_id,marker,nation,id.
#ifndef PEDPREP_INSPECT_SHOW_H_
#define PEDPREP_INSPECT_SHOW_H_

#include <ostream>

#include "records/file_system.h"

namespace pedprep {

// Returns the exit status: 0 the table was written to `out`; 1 a fault was found (each
// fault one line on `err`, for example
//   ID.PE, byte 1: expected ND = 12 as in PEDIGREE, found 11
//   ped.dat, record 14 (position 3): expected father 2 as in PEDIGREE byte 39, found 4
// and nothing on `out`); 2 a file that cannot be read (an INPUT ERROR line on `err`).
int RunShow(FileSystem& folder, bool csv, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_SHOW_H_
