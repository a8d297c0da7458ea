// The founders section of `pedprep report`: per family and overall the founders, the mean
// equivalent complete generations, the effective numbers of founders and of ancestors and the
// effective population size of a reference population (figures/founder_figures.h), and per
// breed the founders and their contributions; over the animals read (no copies).
//
// Text, after a heading that names the reference population and its size:
//   founders: N
//   mean equivalent complete generations: X.XXXX
//   effective number of founders: X.XX
//   effective number of ancestors: X.XX
//   effective population size: X.XX
// each at the start of its line (a figure that cannot be had reads "not available (why)"),
// then the caution lines (WriteCautions), then a table per family and a table per breed,
// indented by two blanks.
#ifndef PEDPREP_REPORTS_FOUNDERS_REPORT_H_
#define PEDPREP_REPORTS_FOUNDERS_REPORT_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "figures/animal_table.h"
#include "figures/founder_figures.h"

namespace pedprep {

struct ObservedRun;

// Which animals form the reference population.
struct ReferenceChoice {
  std::string file_name;                // --reference FILE as given ("" = not given)
  std::string file_text;                // its contents
  std::optional<int32_t> born_from;     // --reference-born-from YEAR
  FounderConventions conventions = {};  // how the figures count half-founders and shallow animals
};

// Finds the animals read by what users type: a herd-book id of ids.csv, else
// FAMILY:INDIVIDUAL as `pedprep animals` prints them. `table` must outlive the lookup.
class AnimalLookup {
 public:
  AnimalLookup(const ObservedRun& run, const AnimalTable& table);
  // The row of the animal (never a copy), or nullptr.
  const AnimalRow* Find(const std::string& text) const;
  // The row of passport data line `line`, or nullptr.
  const AnimalRow* AtLine(int32_t line) const;
  // " (nearest: A, B)": the herd-book ids near a text Find does not know (core/nearest_ids.h).
  std::string NearestNote(const std::string& text) const;

 private:
  std::vector<std::string> ids_;           // herd-book ids in passport order
  std::vector<const AnimalRow*> by_line_;  // [line - 1]
  std::unordered_map<std::string, const AnimalRow*> by_id_;
  std::unordered_map<std::string, const AnimalRow*> by_numbers_;  // "FAMILY:INDIVIDUAL"
};

struct PopulationFigures {
  std::string reference;  // the reference population in words, with its size
  std::vector<std::pair<int32_t, FounderFigures>> families;  // (family number, figures)
  FounderFigures overall;
  int32_t parents_cut = 0;  // animals read whose parents the import's selection left out
  FounderConventions conventions = {};
  std::vector<bool> members;  // [line - 1]: the reference animals by passport data line
};

// Returns "" with `figures` filled, or the problem (an id of the reference file that names no
// animal, a year of birth asked for without a `born` column in ids.csv).
std::string ComputePopulation(const ObservedRun& run, const AnimalTable& table,
                              const ReferenceChoice& choice, PopulationFigures* figures);

// The overall figures as NAME: VALUE lines, without heading.
void WriteOverallFigures(const FounderFigures& figures, std::ostream& out);

// A line "caution: ..." for each way the figures would mislead: the reference's mean ecg
// below 2 (a shallow pedigree), fewer than 20 reference animals, animals whose parents the
// import's selection left out (ids.csv column parents_cut). None for an empty reference.
void WriteCautions(const PopulationFigures& figures, std::ostream& out);

// The whole section, from its heading on (a blank line first).
void WriteFoundersSection(const ObservedRun& run, const AnimalTable& table,
                          const PopulationFigures& figures, std::ostream& out);

// Per breed: founders (and, as one more entry named "unknown parent", the phantom parents of
// animals with one parent unknown), their summed contribution and the largest contributors
// by name, largest first.
struct BreedContribution {
  std::string breed;
  int32_t founders = 0;
  double contribution = 0.0;
  std::vector<std::pair<std::string, double>> largest;  // at most 3
};
std::vector<BreedContribution> ContributionsByBreed(const ObservedRun& run,
                                                    const AnimalTable& table,
                                                    const FounderFigures& figures);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_FOUNDERS_REPORT_H_
