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
#include <vector>

#include "figures/animal_table.h"
#include "figures/founder_figures.h"

namespace pedprep {

class RunFacts;

// Which animals form the reference population.
struct ReferenceChoice {
  std::string file_name;                // --reference FILE as given ("" = not given)
  std::string file_text;                // its contents
  std::optional<int32_t> born_from;     // --reference-born-from YEAR
  FounderConventions conventions = {};  // how the figures count half-founders and shallow animals
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
// Over the animal table of `facts`, which must be there.
std::string ComputePopulation(const RunFacts& facts, const ReferenceChoice& choice,
                              PopulationFigures* figures);

// The overall figures as NAME: VALUE lines, without heading.
void WriteOverallFigures(const FounderFigures& figures, std::ostream& out);

// A line "caution: ..." for each way the figures would mislead: the reference's mean ecg
// below 2 (a shallow pedigree), fewer than 20 reference animals, animals whose parents the
// import's selection left out (ids.csv column parents_cut). None for an empty reference.
void WriteCautions(const PopulationFigures& figures, std::ostream& out);

// The whole section, from its heading on (a blank line first).
void WriteFoundersSection(const RunFacts& facts, const PopulationFigures& figures,
                          std::ostream& out);

// Per breed: founders (and, as one more entry named "unknown parent", the phantom parents of
// animals with one parent unknown), their summed contribution and the largest contributors
// by name, largest first.
struct BreedContribution {
  std::string breed;
  int32_t founders = 0;
  double contribution = 0.0;
  std::vector<std::pair<std::string, double>> largest;  // at most 3
};
std::vector<BreedContribution> ContributionsByBreed(const RunFacts& facts,
                                                    const FounderFigures& figures);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_FOUNDERS_REPORT_H_
