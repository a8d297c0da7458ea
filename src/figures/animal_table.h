// Every animal of an observed run with its breed composition, generation and inbreeding: the
// table behind `pedprep animals` (reports/animals.h) and the figures of report, mate and
// kinship.
//
// Rows: one per position of the prepared pedigree (the rows of ped.dat, in order) when the
// run finishes; otherwise one per passport record read in full (a record that stops the
// reading and the records after it are not), in file order.
// Per row: position, family, individual as in ped.dat (when the run stops: the data line and
// the passport's numbers); ini_id; for a loop-break or parent copy, the position of the row
// it copies (itself a copy when a copy was copied); generation, inbreeding, ecg and complete
// generations on the pedigree as read, before any copy (figures/inbreeding.h), a dummy
// parent the import added (ids.csv `added` "dummy") counting as unknown for ecg and complete
// and a dummy's own figures 0, a copy with its original's, none for an animal that is its own
// ancestor or descends from one; the fractions the blood step found, none when the run
// stopped before the blood step ended.
// The breeds are named after the breed legend of PEDIGREE.PRN (see BreedNames).
#ifndef PEDPREP_FIGURES_ANIMAL_TABLE_H_
#define PEDPREP_FIGURES_ANIMAL_TABLE_H_

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "figures/inbreeding.h"
#include "records/file_system.h"

namespace pedprep {

// The columns of `pedprep animals` before the breed columns; no breed is named as one of them.
inline constexpr const char* kAnimalColumns[] = {"position", "family",  "individual", "id",
                                                 "ini_id",   "copy_of", "generation", "inbreeding"};

struct ObservedRun;

struct AnimalRow {
  int32_t position = 0;
  int32_t family = 0;
  int32_t individual = 0;
  int32_t ini_id = 0;
  int32_t copy_of = 0;     // 0 = not a copy
  int32_t source = 0;      // the passport data line of the animal (a copy: of its original)
  int32_t breed_code = 0;  // of the passport record (1..NRAC for a founder)
  int32_t sex = 0;         // 1 male, 2 female
  bool dummy = false;      // a dummy parent the import added
  bool has_figures = false;
  int32_t generation = 0;
  double inbreeding = 0.0;
  double ecg = 0.0;
  int32_t complete = 0;
  std::vector<double> fractions;  // per breed; empty when the blood step did not end
};

struct AnimalTable {
  std::vector<std::string> breeds;  // the breed column names, NRAC of them
  std::vector<AnimalRow> rows;
  bool finished = false;  // the rows are those of ped.dat
  // The pedigree as read: [line - 1] for passport data line `line` (AnimalRow::source).
  std::vector<ParentLinks> links;
  std::vector<bool> dummy;
  AncestryFigures figures;
};

// The fractions with 4 decimals, rounded so that the shown values add up to their sum rounded
// (largest remainders): each shown value lies within 0.0001 of its fraction, and fractions
// that add up to 1 show values that add up to 1. Fractions outside 0..1 are shown as they are.
std::vector<std::string> ShownFractions(const std::vector<double>& fractions);

// `value` with `decimals` decimals, never "-0.0...".
std::string FixedDecimals(double value, int decimals);

// The breed column names for `count` breeds from the free text lines of PEDIGREE.PRN: the
// breed legend (records/input_folder.h) names breed K. A breed without a name in the legend,
// or whose name is taken already (by an earlier breed, a fixed column or another breed's
// "breedJ"), is "breedK".
std::vector<std::string> BreedNames(const std::vector<std::string>& text_lines, int32_t count);

// Per family, in the order of the rows, over the animals read that are neither copies nor
// dummy parents the import added: their number, the mean and the largest F of those with
// figures with 6 decimals ("" when none has), and the mean fraction of each breed over all of
// them (0 for a breed no row has a fraction of). The one mean F of report's text and HTML page.
struct FamilyFigures {
  int32_t family = 0;
  int32_t animals = 0;
  std::string mean_f;  // FixedDecimals(6), "" when no animal of the family has figures
  std::string max_f;
  double mean_value = 0.0;
  double max_value = 0.0;
  std::vector<double> fractions;  // per breed of the table
};
std::vector<FamilyFigures> FiguresByFamily(const AnimalTable& table);

// The table of the observed run with `breeds` as its breed names (BreedNames of the run's
// PEDIGREE.PRN, figures/run_facts.h). Throws std::logic_error when a row of the finished run
// is neither a copy the run told of nor the next animal read.
AnimalTable BuildAnimalTable(const ObservedRun& run, std::vector<std::string> breeds);

}  // namespace pedprep

#endif  // PEDPREP_FIGURES_ANIMAL_TABLE_H_
