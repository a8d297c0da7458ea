// `pedprep animals`: every animal's breed composition, generation and inbreeding, from the
// run made in memory (nothing is written to the folder): the animal table of the run
// (figures/animal_table.h), one line per row.
//
// Columns, in this order:
//   position, family, individual  as in ped.dat (when the run stops: the data line and the
//                                 passport's numbers);
//   id                            the herd-book id from ids.csv ("" without one);
//   ini_id;
//   copy_of                       the position of the row a copy copies; "" otherwise;
//   generation, inbreeding        F with 6 decimals; "" for a row without figures;
//   one column per breed          the fraction, 4 decimals, rounded so that a row's values add
//                                 up to its sum of fractions rounded (ShownFractions); ""
//                                 when the run stopped before the blood step ended;
//   ecg, complete                 equivalent complete generations (4 decimals) and complete
//                                 generations; "" as for generation.
//
// Aligned output: a header line, then one line per row; columns two blanks apart, right-
// aligned to their widest entry except id, left-aligned (control bytes shown as \xNN).
// CSV: RFC 4180 records ending in CR LF with a header line of the column names.
#ifndef PEDPREP_REPORTS_ANIMALS_H_
#define PEDPREP_REPORTS_ANIMALS_H_

#include <ostream>

namespace pedprep {

class RunFacts;

// Returns 0 when the table was written for a finished run; 1 when the run stops (the table
// of the animals read is written, and one line on `err` says why); 70 when the run's copies cannot
// be matched to the animals read (a fault inside pedprep; one line on `err`).
int RunAnimals(const RunFacts& facts, bool csv, std::ostream& out, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_ANIMALS_H_
